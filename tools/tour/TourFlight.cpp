#include "tools/tour/TourFlight.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "core/Desc.h"
#include "core/GrowthBudget.h"
#include "core/NullRenderContext.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"
#include "core/lod/OcclusionBuffer.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "tools/tour/ResidentMemory.h"
#include "tools/tour/TourOptions.h"
#include "tools/tour/TourPath.h"

namespace {

// CPU time of this thread in milliseconds: what a figure costs the frame loop
// itself, whatever else the machine runs.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

}  // namespace

void TourFlight::fly(int pass) {
    // The collapse countdowns come from their own generator: start each
    // pass from the same state so both passes collapse alike.
    RandomGenerator::collapse().seed(161803398);
    const bool peakReset = ResidentMemory::resetPeak();
    long peakKb = 0;
    // Occlusion starts each pass on trial, as at start-up.
    ctx_.occlusion().reset(OcclusionBuffer::kTrial);
    monitor_ = FrameRateMonitor();
    if (o_.targetFps >= 0)
        monitor_.target = o_.targetFps;
    rateFrames_ = 0;
    rateSeconds_ = 0;
    for (int i = 0; i < o_.frames + o_.hold; ++i) {
        // Held frames keep the camera where the path or the walk left it.
        const bool held = i >= o_.frames;
        if (pilot_ && !held)
            pilot_->tick(ctx_, &world_, o_.collisions);
        else if (!held)
            ctx_.setView(path_.view(i, o_.frames));
        FrameStats s = frame(pass);
        if (o_.targetFps >= 0)
            watchFrameRate(s);
        peakKb = std::max(peakKb, ResidentMemory::currentKb());
        s.pass = pass;
        summary_.add(s);
        if (!o_.quiet)
            std::printf("pass %d frame %4d  cpu %8.2f ms  gpu %7.2f ms  tris %8d  meshes %6d  draws %6d  live %6ld"
                        "  gen %5ld  freed %5ld  imp %3d  shown %4d  occ %5d/%5d m%d  detail %.3f"
                        "  made %5ld  waiting %5ld  destroyed %5ld  visited %6ld  recorded %5ld  thread %7.2f ms\n",
                        pass, i, s.cpuMs, s.gpuMs, s.triangles, s.meshes, s.drawCalls, s.live, s.generated, s.freed,
                        s.impostors, s.impostorsShown, s.occlusionHits, s.occlusionTests, s.occlusionMode,
                        s.detail, s.made, s.waiting, s.destroyed, s.visited, s.recorded, s.threadCpuMs);
        if (renderer_ && pass == 0 && !o_.pngDir.empty() && i % o_.every == 0) {
            char name[64];
            std::snprintf(name, sizeof name, "/frame_%04d.png", i);
            const std::string file = o_.pngDir + name;
            if (!renderer_->savePng(file.c_str()))
                std::fprintf(stderr, "callimora-tour: cannot write %s\n", file.c_str());
        }
    }
    if (peakReset)
        peakKb = std::max(peakKb, ResidentMemory::peakKb());
    breakdown_.endPass(pass, {peakKb, ResidentMemory::currentKb(), Desc::liveCount});
    std::fflush(stdout);
}

void TourFlight::summary(int pass) const {
    TourSummary::Flight flight;
    flight.width = o_.width;
    flight.height = o_.height;
    flight.detail = ctx_.detail();
    flight.rendered = renderer_ != nullptr;
    flight.crowd = crowd_;
    flight.pilot = pilot_;
    flight.budget = ctx_.growth().limit();
    if (renderer_) {
        flight.impostorTexturesMade = renderer_->impostorTextures().made;
        flight.impostorTexturesReused = renderer_->impostorTextures().reused;
        flight.mergedReleased = renderer_->mergedCopies().released;
    }
    flight.targetFps = o_.targetFps;
    summary_.print(pass, flight, breakdown_, stdout);
}

void TourFlight::watchFrameRate(const FrameStats& s) {
    // The window measures its rate over up to eleven frames, each at least one tick.
    if (rateFrames_ > 10) {
        rateFrames_ = 0;
        rateSeconds_ = 0;
    }
    ++rateFrames_;
    rateSeconds_ += std::max(s.cpuMs + s.gpuMs, 10.0) / 1000.0;
    monitor_.update(ctx_, static_cast<float>(rateFrames_ / (rateSeconds_ + 0.00001)), 0);
}

FrameStats TourFlight::frame(int pass) {
    Desc::resetCounters();
    ctx_.trianglesDrawn = 0;
    Profiler::instance().resetFrame();
    auto* plain = dynamic_cast<NullRenderContext*>(&ctx_);
    const long recordedBefore = renderer_ ? renderer_->meshesBuilt : plain ? plain->emitted : 0;
    const double cpuStart = threadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    {
        ProfileScope timing(profile::kRender, "Render");
        {
            ProfileScope submit(profile::kSubmit, "Submit");
            ctx_.beginFrame();
            if (renderer_ && sky_)
                sky_->draw(*renderer_);
        }
        world_.render(ctx_);
    }
    FrameStats s;
    if (crowd_) {
        const auto crowdStart = std::chrono::steady_clock::now();
        const double crowdCpuStart = threadCpuMs();
        crowd_->stepAndDraw(ctx_, &world_, o_.collisions);
        s.crowdCpuMs = threadCpuMs() - crowdCpuStart;
        s.crowdMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - crowdStart)
                        .count();
    }
    const auto traversed = std::chrono::steady_clock::now();
    s.threadCpuMs = threadCpuMs() - cpuStart;
    const GrowthBudget::Counts& growth = ctx_.growth().counts();
    s.made = growth.made;
    s.grown = growth.generations;
    s.destroyed = growth.freed;
    s.waiting = growth.waiting;
    s.impostorsDropped = growth.impostorsDropped;
    s.visited = growth.visited;
    s.recorded = (renderer_ ? renderer_->meshesBuilt : plain ? plain->emitted : 0) - recordedBefore;
    s.impostorMs = 1000 * TourBreakdown::inclusiveSeconds(Profiler::instance(), profile::kImpostor);
    s.triangles = ctx_.trianglesDrawn;
    s.meshes = renderer_ ? renderer_->meshesDrawn : 0;
    s.impostors = ctx_.impostorsMade;
    s.impostorsShown = renderer_ ? renderer_->impostorsShown : 0;
    s.drawCalls = renderer_ ? renderer_->drawCalls : 0;
    s.occlusionTests = ctx_.occlusion().tests;
    s.occlusionHits = ctx_.occlusion().hits;
    ctx_.endFrame();
    s.mergedBytes = renderer_ ? renderer_->mergedCopies().bytes() : 0;
    s.occlusionMode = ctx_.occlusionEnabled ? ctx_.occlusion().mode : OcclusionBuffer::kOff;
    if (renderer_)
        glFinish();
    const auto finished = std::chrono::steady_clock::now();
    s.cpuMs = std::chrono::duration<double, std::milli>(traversed - start).count();
    s.gpuMs = std::chrono::duration<double, std::milli>(finished - traversed).count();
    s.live = Desc::liveCount;
    s.generated = Desc::generatedCount;
    s.freed = Desc::freedCount;
    s.detail = ctx_.detail();
    breakdown_.add(pass, TourBreakdown::split(Profiler::instance(), s.gpuMs));
    return s;
}
