#pragma once
// The viewer's command line: what the window starts with. Parsed before any
// window opens; a wrong argument is refused with the reason (the program then
// prints the usage and exits with kUsageExitCode). Needs no window.
//
//   --seed N       the root's "Seed" (a whole number, -2147483648 to 4294967295:
//                  negative ones are the seeds above 2147483647, as "Seed" shows them)
//   --size WxH     the window's client size, each side kMinSide to kMaxSide pixels
//   --camera NAME  start at the stored camera NAME of the camera file: its label
//                  before the colon ("Cam03"), or its number alone ("3")
//   --detail X     the level-of-detail factor, 0.05 to 3
//   --autopilot    the autopilot walks from the start
//   --help         the usage
#include <cstdint>
#include <cstdio>
#include <string>

#include "editor/CameraStore.h"
#include "typology/World.h"

// What the main window starts with.
struct EditorStart {
    static constexpr int kDefaultWidth = 500, kDefaultHeight = 400;  // client area, pixels
    static constexpr uint32_t kDefaultSeed = world::kRootSeed;

    uint32_t seed = kDefaultSeed;
    int width = kDefaultWidth, height = kDefaultHeight;
    bool cameraGiven = false;
    StoredCamera camera;  // when cameraGiven: replaces the initial camera
    bool detailGiven = false;
    float detail = 0.4f;  // when detailGiven: set after the camera and the autopilot
    bool autopilot = false;
};

class EditorOptions {
public:
    static constexpr int kUsageExitCode = 2;
    static constexpr long kMinSide = 64, kMaxSide = 8192;

    // Reads the arguments after the program name. With --help anywhere only
    // help is set; else false at the first wrong argument (an unknown option,
    // a missing or bad value), error() saying why.
    bool parse(int argc, const char* const* argv);
    // Looks the camera named by --camera up among store's usable lines (the
    // first that matches) into start.camera. True when none was asked for;
    // false, error() saying why, when none matches.
    bool findCamera(const CameraStore& store);
    // The usage text, to stdout for --help or to stderr after a refusal.
    static void usage(std::FILE* out);

    // Whether line (a camera file line) carries the name: its label before
    // the colon, or the label's number given alone.
    static bool names(const std::string& line, const std::string& name);

    const std::string& error() const { return error_; }

    EditorStart start;
    std::string cameraName;  // empty: no --camera
    bool help = false;

private:
    bool fail(const std::string& why);
    std::string error_;
};
