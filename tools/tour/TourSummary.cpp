#include "tools/tour/TourSummary.h"

#include <algorithm>

#include "core/lod/OcclusionBuffer.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "tools/tour/TourBreakdown.h"

namespace {

double percentile(const std::vector<double>& v, double p) { return TourBreakdown::percentile(v, p); }

}  // namespace

void TourSummary::printGrowth(int pass, const Flight& flight, std::FILE* out) const {
    std::vector<double> threadCpu, made, destroyed, recorded, impostors, impostorMs;
    long grownMax = 0, waitingFrames = 0, dropped = 0, waitingEnd = 0;
    int frame = 0, completeFrom = 0;
    for (const FrameStats& s : stats_) {
        if (s.pass != pass)
            continue;
        threadCpu.push_back(s.threadCpuMs);
        made.push_back(static_cast<double>(s.made));
        destroyed.push_back(static_cast<double>(s.destroyed));
        recorded.push_back(static_cast<double>(s.recorded));
        impostors.push_back(s.impostors);
        impostorMs.push_back(s.impostorMs);
        grownMax = std::max(grownMax, s.grown);
        waitingFrames += s.waiting > 0 ? 1 : 0;
        dropped += s.impostorsDropped;
        waitingEnd = s.waiting;
        ++frame;
        // The view is complete once a frame neither grows nor leaves anything waiting.
        if (s.made > 0 || s.waiting > 0)
            completeFrom = frame;
    }
    std::fprintf(out, "summary: thread cpu ms  median %.2f  p99 %.2f  max %.2f\n", percentile(threadCpu, 0.5),
                 percentile(threadCpu, 0.99), percentile(threadCpu, 1.0));
    if (flight.budget > 0) {
        std::fprintf(out, "summary: growth  budget %d nodes  made per frame median %.0f  p99 %.0f  max %.0f"
                     "  descriptions grown max %ld  destroyed per frame p99 %.0f  max %.0f\n",
                     flight.budget, percentile(made, 0.5), percentile(made, 0.99), percentile(made, 1.0), grownMax,
                     percentile(destroyed, 0.99), percentile(destroyed, 1.0));
        if (completeFrom < frame)
            std::fprintf(out, "summary: growth  frames waiting %ld  view complete from frame %d\n", waitingFrames,
                         completeFrom);
        else
            std::fprintf(out, "summary: growth  frames waiting %ld  still growing at the end (%ld waiting)\n",
                         waitingFrames, waitingEnd);
    } else {
        std::fprintf(out, "summary: growth  unlimited\n");
    }
    if (flight.targetFps >= 0)
        std::fprintf(out, "summary: frame-rate monitor  target %.1f fps\n", flight.targetFps);
    std::fprintf(out, "summary: meshes recorded per frame  median %.0f  p99 %.0f  max %.0f\n",
                 percentile(recorded, 0.5), percentile(recorded, 0.99), percentile(recorded, 1.0));
    std::fprintf(out, "summary: impostors made per frame  median %.0f  p99 %.0f  max %.0f  ms median %.3f  p99 %.3f"
                 "  max %.3f  taken while growing %ld\n",
                 percentile(impostors, 0.5), percentile(impostors, 0.99), percentile(impostors, 1.0),
                 percentile(impostorMs, 0.5), percentile(impostorMs, 0.99), percentile(impostorMs, 1.0), dropped);
    if (flight.rendered)
        std::fprintf(out, "summary: impostor textures  made %ld  reused %ld\n", flight.impostorTexturesMade,
                     flight.impostorTexturesReused);
}

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
    printGrowth(pass, flight, out);
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
