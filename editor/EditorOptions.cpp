#include "editor/EditorOptions.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/RenderContext.h"

namespace {

// The whole text as a whole number within [low, high].
bool readWhole(const std::string& text, long long low, long long high, long long& out) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end || errno == ERANGE || v < low || v > high)
        return false;
    out = v;
    return true;
}

}  // namespace

void EditorOptions::usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: callimora [--seed N] [--size WxH] [--camera NAME] [--detail X] [--autopilot] [--help]\n"
                 "  --seed N       the town's root seed, as \"Seed\" in Properties (default %u)\n"
                 "  --size WxH     the window's client size in pixels, each side %ld to %ld (default %dx%d)\n"
                 "  --camera NAME  start at a camera stored in %s: its label (Cam03) or number (3)\n"
                 "  --detail X     the level-of-detail factor, %.2f to %.0f (default 0.4)\n"
                 "  --autopilot    the autopilot walks the streets from the start\n"
                 "  --help         print this and exit\n"
                 "Exit codes: 0 done, 2 wrong option or no display, 3 a failed internal check.\n",
                 EditorStart::kDefaultSeed, kMinSide, kMaxSide, EditorStart::kDefaultWidth,
                 EditorStart::kDefaultHeight, CameraStore::kDefaultPath, RenderContext::kMinDetail,
                 RenderContext::kMaxDetail);
}

bool EditorOptions::fail(const std::string& why) {
    error_ = why;
    return false;
}

bool EditorOptions::parse(int argc, const char* const* argv) {
    // Asked for the usage, it is given whatever else the line holds.
    for (int i = 1; i < argc; ++i)
        if (argv[i] && std::string(argv[i]) == "--help") {
            help = true;
            return true;
        }
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i] ? argv[i] : "";
        const bool takesValue = a == "--seed" || a == "--size" || a == "--camera" || a == "--detail";
        if (takesValue && i + 1 >= argc)
            return fail(a + " needs a value");
        const std::string v = takesValue ? (argv[++i] ? argv[i] : "") : "";
        if (a == "--seed") {
            long long n = 0;
            if (!readWhole(v, -2147483648LL, 4294967295LL, n))
                return fail("--seed " + v + ": not a whole number from -2147483648 to 4294967295");
            start.seed = static_cast<uint32_t>(n);
        } else if (a == "--size") {
            const size_t x = v.find('x');
            long long w = 0, h = 0;
            if (x == std::string::npos || !readWhole(v.substr(0, x), kMinSide, kMaxSide, w) ||
                !readWhole(v.substr(x + 1), kMinSide, kMaxSide, h))
                return fail("--size " + v + ": not WIDTHxHEIGHT with each side " + std::to_string(kMinSide) +
                            " to " + std::to_string(kMaxSide));
            start.width = static_cast<int>(w);
            start.height = static_cast<int>(h);
        } else if (a == "--camera") {
            if (v.empty())
                return fail("--camera needs a name");
            cameraName = v;
        } else if (a == "--detail") {
            char* end = nullptr;
            const float d = std::strtof(v.c_str(), &end);
            if (v.empty() || *end || !std::isfinite(d) || d < RenderContext::kMinDetail ||
                d > RenderContext::kMaxDetail)
                return fail("--detail " + v + ": not a number from 0.05 to 3");
            start.detail = d;
            start.detailGiven = true;
        } else if (a == "--autopilot") {
            start.autopilot = true;
        } else {
            return fail("unknown option " + a);
        }
    }
    return true;
}

bool EditorOptions::names(const std::string& line, const std::string& name) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos || name.empty())
        return false;
    if (line.compare(0, colon, name) == 0 && name.size() == colon)
        return true;
    long long wanted = 0;
    int64_t number = 0;
    return readWhole(name, 0, std::numeric_limits<long long>::max(), wanted) && CameraStore::entryNumber(line, number) && number == wanted;
}

bool EditorOptions::findCamera(const CameraStore& store) {
    if (cameraName.empty())
        return true;
    for (const std::string& line : store.lines()) {
        if (!names(line, cameraName))
            continue;
        StoredCamera camera;
        if (CameraStore::parseLine(line, camera) && CameraStore::usable(camera)) {
            start.camera = camera;
            start.cameraGiven = true;
            return true;
        }
    }
    // The first few names there, to choose from.
    constexpr size_t kNamesShown = 8;
    std::string known;
    for (size_t i = 0; i < store.lines().size() && i < kNamesShown; ++i)
        known += (i ? ", " : "") + store.lines()[i].substr(0, store.lines()[i].find(':'));
    if (store.lines().size() > kNamesShown)
        known += ", ...";
    return fail("no camera named " + cameraName + " in " + store.path() +
                (known.empty() ? " (it holds none)" : " (it holds " + known + ")"));
}
