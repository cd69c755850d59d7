#pragma once
// The tour's command line: what to fly or grow, how, and what to print.
#include <cstdio>
#include <string>
#include <vector>

#include "renderer/GltfWriter.h"

struct TourOptions {
    // Largest picture side and frame count an option takes.
    static constexpr long kMaxSide = 8192;
    static constexpr long kMaxFrames = 1000000;
    static constexpr long kMaxBudget = 100000000;

    int frames = 240;
    bool framesGiven = false;
    int width = 640;
    int height = 480;
    std::string pngDir;  // absolute; empty: no pictures
    int every = 20;
    bool graph = false;
    int dumpDepth = -1;  // -1: no dump
    bool repeat = false;
    bool check = false;
    float detail = 0.4f;
    bool detailGiven = false;  // --detail: the autopilot keeps it
    bool impostors = true;
    bool occlusion = true;
    bool quiet = false;
    bool census = false;
    std::string exportPath;  // absolute; empty: no export
    GltfFormat exportFormat = GltfFormat::Compact;
    std::string tilesDir;    // absolute; empty: no tiles export
    std::string mergeDir;    // absolute; empty: no merge
    int jobs = 0;            // worker processes; 0: one per core
    int shardIndex = 0, shardCount = 1;
    int limit = 0;           // quarters; 0: all
    bool atGiven = false;
    float at[2] = {0, 0};  // world x, z
    bool streetPath = false;
    bool render = true;
    bool autopilot = false;
    float pilotHeight = 30.0f;
    bool crowd = false;
    bool collisions = false;
    bool classicLight = false;  // no sky light: sun and 0x202020 ambient only
    bool batching = true;       // groups merged; off: every list drawn on its own
    std::string view;                // a named view (TourViews) instead of the path; empty: none
    std::vector<std::string> shots;  // absolute; the last frame written to each
    int budget = -1;         // nodes grown and freed a frame, 0 unlimited; -1: the window's default (a view: 0)
    float targetFps = -1;    // the frame-rate monitor's target; negative: no monitor
    int hold = 0;            // frames the camera stands still after the path

    // The growth budget the flight runs with.
    int growthBudget() const;

    // The option list: to stdout for --help, to stderr after a wrong option.
    static void usage(std::FILE* out);
    // Reads the arguments after the program name; false on an unknown option,
    // a missing value or a value out of its range.
    bool parse(int argc, char** argv);
    // The census or export point given with --at, else null.
    const float* atPoint() const { return atGiven ? at : nullptr; }
};
