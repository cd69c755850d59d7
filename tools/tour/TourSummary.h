#pragma once
// What the tour measured frame by frame, and the "summary:" lines it prints
// for each pass.
#include <cstdio>
#include <map>

#include "tools/tour/FrameQuantiles.h"

class Autopilot;
class Crowd;
class TourBreakdown;

struct FrameStats {
    int pass = 0;
    double cpuMs = 0;  // beginFrame, sky and world traversal with generation and submission
    double gpuMs = 0;  // endFrame and glFinish
    int triangles = 0;
    int meshes = 0;
    long live = 0;
    long generated = 0;
    long freed = 0;
    int impostors = 0;       // made this frame
    int impostorsShown = 0;  // meshes showing an impostor
    int drawCalls = 0;       // GL draw calls issued, the skybox's too
    size_t mergedBytes = 0;  // merged copies held on the device, at the end of the frame
    int occlusionTests = 0;
    int occlusionHits = 0;
    int occlusionMode = 0;   // at the end of the frame
    float detail = 0;
    double crowdMs = 0;     // the crowd's step and draw, inside cpuMs (wall clock)
    double crowdCpuMs = 0;  // the same, CPU time of the thread
    double threadCpuMs = 0;  // CPU time of the thread for the whole frame
    // The growth budget's counts: children made, descriptions grown, detached
    // nodes destroyed, descriptions left waiting, impostors taken too early.
    long made = 0;
    long grown = 0;
    long destroyed = 0;
    long waiting = 0;
    long impostorsDropped = 0;
    long recorded = 0;       // meshes tessellated (recorded into lists)
    long visited = 0;        // descriptions the traversal visited
    double impostorMs = 0;   // making impostors: drawing the children into them, texture, shape
};

class TourSummary {
public:
    // What the summary says besides the frames.
    struct Flight {
        int width = 0, height = 0;  // pixels
        float detail = 0;           // at the end of the flight
        bool rendered = false;      // GL figures (finish, triangles, meshes) exist
        const Crowd* crowd = nullptr;      // not owned; null: no crowd
        const Autopilot* pilot = nullptr;  // not owned; null: the fixed path
        int budget = 0;             // nodes a frame, 0 unlimited
        long impostorTexturesMade = 0, impostorTexturesReused = 0;  // rendered only, since the start
        long mergedReleased = 0;    // merged copies given back while undrawn, rendered only, since the start
        float targetFps = -1;       // the monitor's target; negative: none
    };

    // Folds the frame into its pass's figures: memory stays bounded however
    // long the flight.
    void add(const FrameStats& frame);
    // The "summary:" lines of one pass, with the breakdown's, and the crowd's
    // and the autopilot's counts.
    void print(int pass, const Flight& flight, const TourBreakdown& breakdown, std::FILE* out) const;

private:
    // The thread's CPU time, the growth budget's counts, recording and impostors.
    void printGrowth(int pass, const Flight& flight, std::FILE* out) const;

    // One pass's figures so far.
    struct Pass {
        size_t frames = 0;
        FrameQuantiles cpu, gpu, threadCpu, made, destroyed, recorded, impostors, impostorMs, crowdMs, crowdCpuMs;
        long generated = 0, freed = 0, liveMax = 0, liveEnd = 0;
        double triangles = 0, meshes = 0, shown = 0;
        int trianglesMax = 0, meshesMax = 0, shownMax = 0, framesCulling = 0, drawCallsMax = 0;
        double drawCalls = 0;
        size_t mergedMax = 0, mergedEnd = 0;
        long impostorsMade = 0, tests = 0, hits = 0;
        long grownMax = 0, waitingFrames = 0, dropped = 0, waitingEnd = 0;
        size_t completeFrom = 0;  // frames of the pass up to the last that grew or left something waiting
    };
    // The pass's figures; empty ones for a pass without frames.
    const Pass& figures(int pass) const;

    std::map<int, Pass> passes_;
};
