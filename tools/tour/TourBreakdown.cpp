#include "tools/tour/TourBreakdown.h"

#include <algorithm>
#include <cmath>

double TourBreakdown::exclusiveSeconds(const Profiler::Section& s, uint32_t key) {
    double sum = 0, nested = 0;
    for (const Profiler::Section* c = s.firstChild.get(); c; c = c->next.get()) {
        nested += c->seconds;
        sum += exclusiveSeconds(*c, key);
    }
    if (s.key == key)
        sum += std::max(0.0, s.seconds - nested);
    return sum;
}

double TourBreakdown::inclusiveSeconds(const Profiler::Section& s, uint32_t key) {
    if (s.key == key)
        return s.seconds;
    double sum = 0;
    for (const Profiler::Section* c = s.firstChild.get(); c; c = c->next.get())
        sum += inclusiveSeconds(*c, key);
    return sum;
}

double TourBreakdown::inclusiveSeconds(const Profiler& profiler, uint32_t key) {
    for (const Profiler::Section* s = profiler.root().firstChild.get(); s; s = s->next.get())
        if (s->key == profile::kRender)
            return inclusiveSeconds(*s, key);
    return 0;
}

TourBreakdown::Frame TourBreakdown::split(const Profiler::Section& frame, double finishMs) {
    Frame f;
    f.generation = 1000 * exclusiveSeconds(frame, profile::kGenerate);
    f.tessellation = 1000 * exclusiveSeconds(frame, profile::kRecord);
    f.occluders = 1000 * exclusiveSeconds(frame, profile::kOccluders);
    f.submission = 1000 * exclusiveSeconds(frame, profile::kSubmit);
    f.traversal =
        std::max(0.0, 1000 * frame.seconds - f.generation - f.tessellation - f.occluders - f.submission);
    f.finish = finishMs;
    return f;
}

TourBreakdown::Frame TourBreakdown::split(const Profiler& profiler, double finishMs) {
    for (const Profiler::Section* s = profiler.root().firstChild.get(); s; s = s->next.get())
        if (s->key == profile::kRender)
            return split(*s, finishMs);
    Frame none;
    none.finish = finishMs;
    return none;
}

double TourBreakdown::percentile(std::vector<double> values, double p) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p * static_cast<double>(values.size()));
    const size_t i = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(i, values.size() - 1)];
}

void TourBreakdown::add(int pass, const Frame& f) {
    std::array<FrameQuantiles, kParts>& parts = parts_[pass];
    const double values[kParts] = {f.traversal,   f.generation, f.tessellation, f.ownWork(),
                                   f.occluders, f.submission, f.finish};
    for (int i = 0; i < kParts; ++i)
        parts[i].add(values[i]);
}

void TourBreakdown::endPass(int pass, const PassEnd& end) { ends_.emplace_back(pass, end); }

const TourBreakdown::PassEnd* TourBreakdown::passEnd(int pass) const {
    for (const auto& [p, e] : ends_)
        if (p == pass)
            return &e;
    return nullptr;
}

bool TourBreakdown::endedWithin(int earlier, int later, double factor, bool memory) const {
    const PassEnd* a = passEnd(earlier);
    const PassEnd* b = passEnd(later);
    if (!a || !b)
        return false;
    return (!memory || static_cast<double>(b->finalKb) <= factor * static_cast<double>(a->finalKb)) &&
           static_cast<double>(b->live) <= factor * static_cast<double>(a->live);
}

void TourBreakdown::print(int pass, bool rendered, std::FILE* out) const {
    static const std::array<FrameQuantiles, kParts> kNone;
    const auto found = parts_.find(pass);
    const std::array<FrameQuantiles, kParts>& parts = found != parts_.end() ? found->second : kNone;
    static const char* const kNames[kParts] = {"traversal",
                                          "generation",
                                          "tessellation",
                                          "traversal+generation+tessellation",
                                          "occluder rasterising",
                                          "GL submission",
                                          "GL finish"};
    std::fprintf(out, "summary: pass %d time per frame, ms          median      p99      max\n", pass);
    for (int i = 0; i < (rendered ? kParts : 4); ++i)
        std::fprintf(out, "summary:   %-34s %8.3f %8.3f %8.3f\n", kNames[i], parts[i].quantile(0.5),
                     parts[i].quantile(0.99), parts[i].quantile(1.0));
    if (const PassEnd* e = passEnd(pass))
        std::fprintf(out, "summary: pass %d memory  peak resident %ld kB  final resident %ld kB  live descriptions %ld\n",
                     pass, e->peakKb, e->finalKb, e->live);
}
