#include "tools/tour/TourSummary.h"

#include <algorithm>

#include "core/lod/OcclusionBuffer.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "tools/tour/TourBreakdown.h"

namespace {

double percentile(const std::vector<double>& v, double p) { return TourBreakdown::percentile(v, p); }

}  // namespace

void TourSummary::print(int pass, const Flight& flight, const TourBreakdown& breakdown, std::FILE* out) const {
    std::vector<double> cpu, gpu;
    long generated = 0, freed = 0, liveMax = 0, liveEnd = 0;
    double triangles = 0, meshes = 0, shown = 0;
    int trianglesMax = 0, meshesMax = 0, shownMax = 0, framesCulling = 0;
    long made = 0, tests = 0, hits = 0;
    size_t frames = 0;
    for (const FrameStats& s : stats_) {
        if (s.pass != pass)
            continue;
        ++frames;
        cpu.push_back(s.cpuMs);
        gpu.push_back(s.gpuMs);
        generated += s.generated;
        freed += s.freed;
        liveMax = std::max(liveMax, s.live);
        liveEnd = s.live;
        triangles += s.triangles;
        meshes += s.meshes;
        trianglesMax = std::max(trianglesMax, s.triangles);
        meshesMax = std::max(meshesMax, s.meshes);
        made += s.impostors;
        shown += s.impostorsShown;
        shownMax = std::max(shownMax, s.impostorsShown);
        tests += s.occlusionTests;
        hits += s.occlusionHits;
        framesCulling += s.occlusionMode != OcclusionBuffer::kOff ? 1 : 0;
    }
    const double n = static_cast<double>(std::max<size_t>(frames, 1));
    double cpuSum = 0;
    for (double c : cpu)
        cpuSum += c;
    std::fprintf(out, "summary: pass %d  frames %zu  size %dx%d  detail %.3f\n", pass, frames, flight.width,
                 flight.height, flight.detail);
    std::fprintf(out, "summary: cpu ms  median %.2f  p99 %.2f  mean %.2f  max %.2f\n", percentile(cpu, 0.5),
                 percentile(cpu, 0.99), cpuSum / n, percentile(cpu, 1.0));
    if (flight.rendered) {
        std::fprintf(out, "summary: gpu-finish ms  median %.2f  p99 %.2f\n", percentile(gpu, 0.5),
                     percentile(gpu, 0.99));
        std::fprintf(out, "summary: triangles  mean %.0f  max %d   meshes drawn  mean %.0f  max %d\n",
                     triangles / n, trianglesMax, meshes / n, meshesMax);
    }
    std::fprintf(out, "summary: descriptions  live at end %ld  max %ld  generated %ld  freed %ld\n", liveEnd,
                 liveMax, generated, freed);
    breakdown.print(pass, flight.rendered, out);
    std::fprintf(out, "summary: impostors  made %ld  shown mean %.0f  max %d\n", made, shown / n, shownMax);
    std::fprintf(out, "summary: occlusion  tests %ld  hits %ld  frames culling %d\n", tests, hits, framesCulling);
    if (flight.crowd) {
        std::vector<double> crowdMs, crowdCpuMs;
        for (const FrameStats& s : stats_)
            if (s.pass == pass) {
                crowdMs.push_back(s.crowdMs);
                crowdCpuMs.push_back(s.crowdCpuMs);
            }
        std::fprintf(out, "summary: crowd step and draw ms  median %.2f  p99 %.2f  cpu median %.2f  p99 %.2f"
                     "  placed %d of %d\n",
                     percentile(crowdMs, 0.5), percentile(crowdMs, 0.99), percentile(crowdCpuMs, 0.5),
                     percentile(crowdCpuMs, 0.99), flight.crowd->placedCount(), flight.crowd->count());
        std::fprintf(out, "crowd: nodes visited %ld  turns %ld  re-placed %ld\n", flight.crowd->nodesVisited(),
                     flight.crowd->turns(), flight.crowd->replacements());
    }
    if (flight.pilot)
        std::fprintf(out, "autopilot: nodes visited %ld  turns %ld  re-placed %ld\n",
                     flight.pilot->agent.nodesVisited, flight.pilot->agent.turns, flight.pilot->agent.replacements);
}
