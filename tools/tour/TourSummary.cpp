#include "tools/tour/TourSummary.h"

#include <algorithm>

#include "core/lod/OcclusionBuffer.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "tools/tour/TourBreakdown.h"

void TourSummary::add(const FrameStats& s) {
    Pass& p = passes_[s.pass];
    ++p.frames;
    p.cpu.add(s.cpuMs);
    p.gpu.add(s.gpuMs);
    p.threadCpu.add(s.threadCpuMs);
    p.made.add(static_cast<double>(s.made));
    p.destroyed.add(static_cast<double>(s.destroyed));
    p.recorded.add(static_cast<double>(s.recorded));
    p.impostors.add(s.impostors);
    p.impostorMs.add(s.impostorMs);
    p.crowdMs.add(s.crowdMs);
    p.crowdCpuMs.add(s.crowdCpuMs);
    p.generated += s.generated;
    p.freed += s.freed;
    p.liveMax = std::max(p.liveMax, s.live);
    p.liveEnd = s.live;
    p.triangles += s.triangles;
    p.meshes += s.meshes;
    p.drawCalls += s.drawCalls;
    p.drawCallsMax = std::max(p.drawCallsMax, s.drawCalls);
    p.mergedMax = std::max(p.mergedMax, s.mergedBytes);
    p.mergedEnd = s.mergedBytes;
    p.trianglesMax = std::max(p.trianglesMax, s.triangles);
    p.meshesMax = std::max(p.meshesMax, s.meshes);
    p.impostorsMade += s.impostors;
    p.shown += s.impostorsShown;
    p.shownMax = std::max(p.shownMax, s.impostorsShown);
    p.tests += s.occlusionTests;
    p.hits += s.occlusionHits;
    p.framesCulling += s.occlusionMode != OcclusionBuffer::kOff ? 1 : 0;
    p.grownMax = std::max(p.grownMax, s.grown);
    p.waitingFrames += s.waiting > 0 ? 1 : 0;
    p.dropped += s.impostorsDropped;
    p.waitingEnd = s.waiting;
    // The view is complete once a frame neither grows nor leaves anything waiting.
    if (s.made > 0 || s.waiting > 0)
        p.completeFrom = p.frames;
}

const TourSummary::Pass& TourSummary::figures(int pass) const {
    static const Pass kNone;
    const auto found = passes_.find(pass);
    return found != passes_.end() ? found->second : kNone;
}

void TourSummary::printGrowth(int pass, const Flight& flight, std::FILE* out) const {
    const Pass& p = figures(pass);
    std::fprintf(out, "summary: thread cpu ms  median %.2f  p99 %.2f  max %.2f\n", p.threadCpu.quantile(0.5),
                 p.threadCpu.quantile(0.99), p.threadCpu.quantile(1.0));
    if (flight.budget > 0) {
        std::fprintf(out, "summary: growth  budget %d nodes  made per frame median %.0f  p99 %.0f  max %.0f"
                     "  descriptions grown max %ld  destroyed per frame p99 %.0f  max %.0f\n",
                     flight.budget, p.made.quantile(0.5), p.made.quantile(0.99), p.made.quantile(1.0), p.grownMax,
                     p.destroyed.quantile(0.99), p.destroyed.quantile(1.0));
        if (p.completeFrom < p.frames)
            std::fprintf(out, "summary: growth  frames waiting %ld  view complete from frame %zu\n",
                         p.waitingFrames, p.completeFrom);
        else
            std::fprintf(out, "summary: growth  frames waiting %ld  still growing at the end (%ld waiting)\n",
                         p.waitingFrames, p.waitingEnd);
    } else {
        std::fprintf(out, "summary: growth  unlimited\n");
    }
    if (flight.targetFps >= 0)
        std::fprintf(out, "summary: frame-rate monitor  target %.1f fps\n", flight.targetFps);
    std::fprintf(out, "summary: meshes recorded per frame  median %.0f  p99 %.0f  max %.0f\n",
                 p.recorded.quantile(0.5), p.recorded.quantile(0.99), p.recorded.quantile(1.0));
    std::fprintf(out, "summary: impostors made per frame  median %.0f  p99 %.0f  max %.0f  ms median %.3f  p99 %.3f"
                 "  max %.3f  taken while growing %ld\n",
                 p.impostors.quantile(0.5), p.impostors.quantile(0.99), p.impostors.quantile(1.0),
                 p.impostorMs.quantile(0.5), p.impostorMs.quantile(0.99), p.impostorMs.quantile(1.0), p.dropped);
    if (flight.rendered)
        std::fprintf(out, "summary: impostor textures  made %ld  reused %ld\n", flight.impostorTexturesMade,
                     flight.impostorTexturesReused);
}

void TourSummary::print(int pass, const Flight& flight, const TourBreakdown& breakdown, std::FILE* out) const {
    const Pass& p = figures(pass);
    const double n = static_cast<double>(std::max<size_t>(p.frames, 1));
    std::fprintf(out, "summary: pass %d  frames %zu  size %dx%d  detail %.3f\n", pass, p.frames, flight.width,
                 flight.height, flight.detail);
    std::fprintf(out, "summary: cpu ms  median %.2f  p99 %.2f  mean %.2f  max %.2f\n", p.cpu.quantile(0.5),
                 p.cpu.quantile(0.99), p.cpu.sum() / n, p.cpu.quantile(1.0));
    if (flight.rendered) {
        std::fprintf(out, "summary: gpu-finish ms  median %.2f  p99 %.2f\n", p.gpu.quantile(0.5),
                     p.gpu.quantile(0.99));
        std::fprintf(out, "summary: triangles  mean %.0f  max %d   meshes drawn  mean %.0f  max %d\n",
                     p.triangles / n, p.trianglesMax, p.meshes / n, p.meshesMax);
        std::fprintf(out, "summary: draw calls  mean %.0f  max %d\n", p.drawCalls / n, p.drawCallsMax);
        std::fprintf(out, "summary: merged copies  at end %.1f MB  max %.1f MB  given back undrawn %ld\n",
                     static_cast<double>(p.mergedEnd) / 1e6, static_cast<double>(p.mergedMax) / 1e6,
                     flight.mergedReleased);
    }
    std::fprintf(out, "summary: descriptions  live at end %ld  max %ld  generated %ld  freed %ld\n", p.liveEnd,
                 p.liveMax, p.generated, p.freed);
    breakdown.print(pass, flight.rendered, out);
    printGrowth(pass, flight, out);
    std::fprintf(out, "summary: impostors  made %ld  shown mean %.0f  max %d\n", p.impostorsMade, p.shown / n,
                 p.shownMax);
    std::fprintf(out, "summary: occlusion  tests %ld  hits %ld  frames culling %d\n", p.tests, p.hits,
                 p.framesCulling);
    if (flight.crowd) {
        std::fprintf(out, "summary: crowd step and draw ms  median %.2f  p99 %.2f  cpu median %.2f  p99 %.2f"
                     "  placed %d of %d\n",
                     p.crowdMs.quantile(0.5), p.crowdMs.quantile(0.99), p.crowdCpuMs.quantile(0.5),
                     p.crowdCpuMs.quantile(0.99), flight.crowd->placedCount(), flight.crowd->count());
        std::fprintf(out, "crowd: nodes visited %ld  turns %ld  re-placed %ld\n", flight.crowd->nodesVisited(),
                     flight.crowd->turns(), flight.crowd->replacements());
    }
    if (flight.pilot)
        std::fprintf(out, "autopilot: nodes visited %ld  turns %ld  re-placed %ld\n",
                     flight.pilot->agent.nodesVisited, flight.pilot->agent.turns, flight.pilot->agent.replacements);
}
