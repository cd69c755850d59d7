#pragma once
// What the tour measured frame by frame, and the "summary:" lines it prints
// for each pass.
#include <cstdio>
#include <vector>

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
    int occlusionTests = 0;
    int occlusionHits = 0;
    int occlusionMode = 0;   // at the end of the frame
    float detail = 0;
    double crowdMs = 0;     // the crowd's step and draw, inside cpuMs (wall clock)
    double crowdCpuMs = 0;  // the same, CPU time of the thread
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
    };

    void add(const FrameStats& frame) { stats_.push_back(frame); }
    // The "summary:" lines of one pass, with the breakdown's, and the crowd's
    // and the autopilot's counts.
    void print(int pass, const Flight& flight, const TourBreakdown& breakdown, std::FILE* out) const;

private:
    std::vector<FrameStats> stats_;
};
