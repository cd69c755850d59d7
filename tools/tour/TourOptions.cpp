#include "tools/tour/TourOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "core/GrowthBudget.h"
#include "core/RenderContext.h"
#include "tools/tour/TourViews.h"

namespace {

// The whole text as a whole number within [low, high].
bool readInt(const char* text, long low, long high, int& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end || errno == ERANGE || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

// The whole text as a finite number within [low, high].
bool readFloat(const char* text, float low, float high, float& out) {
    char* end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text || *end || !std::isfinite(v) || v < low || v > high)
        return false;
    out = v;
    return true;
}

}  // namespace

void TourOptions::usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: callimora-tour [--frames N] [--size WxH] [--png DIR] [--every K] [--graph]\n"
                 "                      [--dump DEPTH] [--repeat] [--check] [--detail X]\n"
                 "                      [--no-impostors] [--no-occlusion] [--no-render] [--quiet] [--help]\n"
                 "                      [--census] [--export FILE.glb] [--export-format compact|plain]\n"
                 "                      [--export-tiles DIR] [--jobs N] [--shard I/N] [--limit K]\n"
                 "                      [--merge-tileset DIR] [--at X,Z] [--path street]\n"
                 "                      [--autopilot] [--pilot-height H] [--crowd] [--collisions]\n"
                 "                      [--classic-light] [--no-batching] [--view NAME] [--shot FILE]\n"
                 "                      [--budget N] [--target-fps N] [--hold N]\n"
                 "  --frames N      frames along the path, 1 to 1000000 (default 240)\n"
                 "  --size WxH      render size in pixels, each side 1 to 8192 (default 640x480)\n"
                 "  --png DIR       write every K-th frame as DIR/frame_NNNN.png\n"
                 "  --every K       picture interval (default 20)\n"
                 "  --graph         show the street graph\n"
                 "  --dump DEPTH    print the generated tree down to DEPTH, then its fingerprint\n"
                 "  --repeat        collapse everything, fly the path again, print the fingerprint again\n"
                 "  --check         with --repeat: exit 1 when the two fingerprints differ, or when the\n"
                 "                  second flight ends with over 1.5 times the memory or descriptions\n"
                 "  --detail X      fixed level-of-detail factor, 0.05 to 3 (default 0.4); the autopilot keeps it\n"
                 "  --no-impostors  never stand pictures in for distant descriptions\n"
                 "  --no-occlusion  never skip descriptions hidden behind drawn meshes\n"
                 "  --no-render     no GL at all: the same flight through a null render context\n"
                 "  --quiet         summary only\n"
                 "  --census        grow the quarter at the start view (or --at) to its leaves, print its\n"
                 "                  class counts, sizes, timings and fingerprint, regrow it and compare\n"
                 "  --export FILE   grow the quarter at the start view (or --at) to its leaves and write it\n"
                 "                  as binary glTF; prints its triangles, meshes, textures, size and time\n"
                 "  --export-format F  compact (default: quantised, meshopt-compressed; needs a reader with\n"
                 "                  KHR_mesh_quantization and EXT_meshopt_compression) or plain (no extensions)\n"
                 "  --export-tiles DIR  every quarter of the world's towns as DIR/quarters/qNNNN.glb, grown to\n"
                 "                  its leaves, with a 3D Tiles tileset DIR/tileset.json and a page DIR/index.html\n"
                 "  --jobs N        worker processes for --export-tiles, 1 to 256 (default: one per core)\n"
                 "  --shard S       the shard i/n: export only every n-th quarter starting at the i-th\n"
                 "                  (0 <= i < n <= 100000); the tileset is then written by --merge-tileset\n"
                 "  --limit K       export only the first K quarters (the central town's first)\n"
                 "  --merge-tileset DIR  write the tileset and the page of the quarters exported into DIR\n"
                 "  --at X,Z        the census or export point in world metres\n"
                 "  --path street   walk the streets of that quarter at eye height instead of the fixed path\n"
                 "  --autopilot     the autopilot walks the streets instead of the fixed path\n"
                 "  --pilot-height H  the autopilot's camera height in metres, 0 to 10000 (default 30)\n"
                 "  --crowd         step and draw the crowd (\"NPCs\")\n"
                 "  --collisions    the autopilot and the crowd test their moves against the town\n"
                 "  --classic-light the sun and a 0x202020 ambient only, without the sky light\n"
                 "  --no-batching   draw every recorded list on its own, no merged groups\n"
                 "  --budget N      nodes grown and nodes freed a frame, 0 (unlimited) or 256 to 100000000\n"
                 "                  (default %d, as in the window)\n"
                 "  --target-fps N  run the window's frame-rate monitor on the measured frame times, 0 to 1000\n"
                 "                  (below 1 it only watches); the autopilot then sets and lowers the detail\n"
                 "                  as in the window. Without it the detail stays fixed\n"
                 "  --hold N        after the path (or walk), N more frames from where the camera stopped\n"
                 "  --view NAME     stay at a named view (%d frames unless --frames says otherwise):\n",
                 GrowthBudget::kDefault, tourviews::kFrames);
    for (int i = 0; i < tourviews::kCount; ++i)
        std::fprintf(out, "                    %-8s %s\n", tourViews()[i].name, tourViews()[i].what);
    std::fprintf(out,
                 "  --shot FILE     write the last frame to FILE, a .png or a .jpg (may be given again)\n"
                 "  --help          print this and exit\n"
                 "Needs the data directory ../data beside its own folder (made by `make`).\n"
                 "Exit codes: 0 done, 1 failure (no data directory, no GL, --check found a difference,\n"
                 "a quarter or the tileset could not be exported),\n"
                 "2 wrong option.\n");
}

bool TourOptions::parse(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](const char*& v) {
            if (i + 1 >= argc)
                return false;
            v = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (a == "--frames" && next(v)) {
            if (!readInt(v, 1, kMaxFrames, frames))
                return false;
            framesGiven = true;
        } else if (a == "--size" && next(v)) {
            const std::string size = v;
            const size_t x = size.find('x');
            if (x == std::string::npos || !readInt(size.substr(0, x).c_str(), 1, kMaxSide, width) ||
                !readInt(size.substr(x + 1).c_str(), 1, kMaxSide, height))
                return false;
        } else if (a == "--png" && next(v))
            pngDir = std::filesystem::absolute(v).string();
        else if (a == "--every" && next(v)) {
            if (!readInt(v, 1, kMaxFrames, every))
                return false;
        } else if (a == "--graph")
            graph = true;
        else if (a == "--dump" && next(v)) {
            if (!readInt(v, 0, 1000, dumpDepth))
                return false;
        } else if (a == "--repeat")
            repeat = true;
        else if (a == "--check")
            check = true;
        else if (a == "--detail" && next(v)) {
            if (!readFloat(v, RenderContext::kMinDetail, RenderContext::kMaxDetail, detail))
                return false;
            detailGiven = true;
        } else if (a == "--no-impostors")
            impostors = false;
        else if (a == "--no-occlusion")
            occlusion = false;
        else if (a == "--no-render")
            render = false;
        else if (a == "--quiet")
            quiet = true;
        else if (a == "--census")
            census = true;
        else if (a == "--export" && next(v))
            exportPath = std::filesystem::absolute(v).string();
        else if (a == "--export-format" && next(v)) {
            if (!parseGltfFormat(v, exportFormat))
                return false;
        } else if (a == "--export-tiles" && next(v))
            tilesDir = std::filesystem::absolute(v).string();
        else if (a == "--merge-tileset" && next(v))
            mergeDir = std::filesystem::absolute(v).string();
        else if (a == "--jobs" && next(v)) {
            if (!readInt(v, 1, 256, jobs))
                return false;
        } else if (a == "--limit" && next(v)) {
            if (!readInt(v, 1, kMaxFrames, limit))
                return false;
        } else if (a == "--shard" && next(v)) {
            const std::string shard = v;
            const size_t slash = shard.find('/');
            if (slash == std::string::npos || !readInt(shard.substr(0, slash).c_str(), 0, 99999, shardIndex) ||
                !readInt(shard.substr(slash + 1).c_str(), 1, 100000, shardCount) || shardIndex >= shardCount)
                return false;
        } else if (a == "--at" && next(v)) {
            if (std::sscanf(v, "%f,%f", &at[0], &at[1]) != 2 || !std::isfinite(at[0]) ||
                !std::isfinite(at[1]))
                return false;
            atGiven = true;
        } else if (a == "--path" && next(v)) {
            if (std::string(v) != "street")
                return false;
            streetPath = true;
        } else if (a == "--autopilot")
            autopilot = true;
        else if (a == "--pilot-height" && next(v)) {
            if (!readFloat(v, 0.0f, 10000.0f, pilotHeight))
                return false;
        } else if (a == "--crowd")
            crowd = true;
        else if (a == "--collisions")
            collisions = true;
        else if (a == "--classic-light")
            classicLight = true;
        else if (a == "--no-batching")
            batching = false;
        else if (a == "--view" && next(v)) {
            if (!findView(v))
                return false;
            view = v;
        } else if (a == "--shot" && next(v)) {
            if (!shotNameAllowed(v))
                return false;
            shots.push_back(std::filesystem::absolute(v).string());
        } else if (a == "--budget" && next(v)) {
            if (!readInt(v, 0, kMaxBudget, budget) || (budget > 0 && budget < GrowthBudget::kMinimum))
                return false;
        } else if (a == "--target-fps" && next(v)) {
            if (!readFloat(v, 0.0f, 1000.0f, targetFps))
                return false;
        } else if (a == "--hold" && next(v)) {
            if (!readInt(v, 0, kMaxFrames, hold))
                return false;
        } else
            return false;
    }
    if (!view.empty()) {
        const TourView& named = *findView(view);
        if (!framesGiven)
            frames = tourviews::kFrames;
        if (!detailGiven)
            detail = named.detail;
        crowd = crowd || named.crowd;
        // A still wants its whole view in its few frames, not what a
        // budget has grown by then.
        if (budget < 0)
            budget = 0;
    }
    return true;
}

int TourOptions::growthBudget() const { return budget < 0 ? GrowthBudget::kDefault : budget; }
