// callimora-tour: builds the world as the main window does, flies a fixed
// camera path through it with the OpenGL renderer on SDL's offscreen driver,
// and prints per-frame figures and a summary. It is the benchmark, the picture
// check and the determinism check (--dump, --repeat, --check).
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>


#include "core/DataDirectory.h"
#include "core/Desc.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

// Largest picture side and frame count an option takes.
constexpr long kMaxSide = 8192;
constexpr long kMaxFrames = 1000000;

struct Options {
    int frames = 240;
    int width = 640;
    int height = 480;
    std::string pngDir;  // absolute; empty: no pictures
    int every = 20;
    bool graph = false;
    int dumpDepth = -1;  // -1: no dump
    bool repeat = false;
    bool check = false;
    float detail = 0.4f;
    bool impostors = true;
    bool occlusion = true;
    bool quiet = false;
};

// To stdout for --help, to stderr after a wrong option.
void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: callimora-tour [--frames N] [--size WxH] [--png DIR] [--every K] [--graph]\n"
                 "                      [--dump DEPTH] [--repeat] [--check] [--detail X]\n"
                 "                      [--no-impostors] [--no-occlusion] [--quiet] [--help]\n"
                 "  --frames N      frames along the path, 1 to 1000000 (default 240)\n"
                 "  --size WxH      render size in pixels, each side 1 to 8192 (default 640x480)\n"
                 "  --png DIR       write every K-th frame as DIR/frame_NNNN.png\n"
                 "  --every K       picture interval (default 20)\n"
                 "  --graph         show the street graph\n"
                 "  --dump DEPTH    print the generated tree down to DEPTH, then its fingerprint\n"
                 "  --repeat        collapse everything, fly the path again, print the fingerprint again\n"
                 "  --check         with --repeat: exit 1 when the two fingerprints differ\n"
                 "  --detail X      fixed level-of-detail factor, 0.05 to 3 (default 0.4)\n"
                 "  --no-impostors  draw far descriptions as their shapes, never as impostor pictures\n"
                 "  --no-occlusion  switch occlusion culling off\n"
                 "  --quiet         summary only\n"
                 "  --help          print this and exit\n"
                 "Needs the data directory ../data beside its own folder (made by `make`).\n"
                 "Exit codes: 0 done, 1 failure (no data directory, no GL, --check found a difference),\n"
                 "2 wrong option.\n");
}

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

bool parse(int argc, char** argv, Options& o) {
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
            if (!readInt(v, 1, kMaxFrames, o.frames))
                return false;
        } else if (a == "--size" && next(v)) {
            const std::string size = v;
            const size_t x = size.find('x');
            if (x == std::string::npos || !readInt(size.substr(0, x).c_str(), 1, kMaxSide, o.width) ||
                !readInt(size.substr(x + 1).c_str(), 1, kMaxSide, o.height))
                return false;
        } else if (a == "--png" && next(v))
            o.pngDir = std::filesystem::absolute(v).string();
        else if (a == "--every" && next(v)) {
            if (!readInt(v, 1, kMaxFrames, o.every))
                return false;
        }
        else if (a == "--graph")
            o.graph = true;
        else if (a == "--dump" && next(v)) {
            if (!readInt(v, 0, 1000, o.dumpDepth))
                return false;
        }
        else if (a == "--repeat")
            o.repeat = true;
        else if (a == "--check")
            o.check = true;
        else if (a == "--detail" && next(v)) {
            if (!readFloat(v, RenderContext::kMinDetail, RenderContext::kMaxDetail, o.detail))
                return false;
        }
        else if (a == "--no-impostors")
            o.impostors = false;
        else if (a == "--no-occlusion")
            o.occlusion = false;
        else if (a == "--quiet")
            o.quiet = true;
        else
            return false;
    }
    return true;
}

// The program finds "../data/" from its own folder, as the viewer does.
void enterExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        std::filesystem::current_path(exe.parent_path(), ec);
}

// The main window's projection: 45 degrees across, near 1 m, far 10001 m.
Matrix44 windowProjection(int width, int height) {
    Matrix44 p;
    const float h = 1.0f / std::tan(0.39269909f);
    for (float& e : p.m)
        e = 0;
    p.m[0] = h;
    p.m[5] = h * static_cast<float>(width) / static_cast<float>(height);
    p.m[10] = 1.0001f;
    p.m[11] = -1.0001f;
    p.m[14] = 1;
    return p;
}

struct FrameStats {
    int pass = 0;
    double cpuMs = 0;  // beginFrame, sky and world traversal with generation and submission
    double gpuMs = 0;  // endFrame and glFinish
    int triangles = 0;
    int meshes = 0;
    long live = 0;
    long generated = 0;
    long freed = 0;
    int impostors = 0;
    float detail = 0;
};

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

class Tour {
public:
    Tour(const Options& options, RendererGl& renderer, Skybox& sky, Desc& world, const TourPath& path)
        : o_(options), renderer_(renderer), sky_(sky), world_(world), path_(path) {}

    // Flies the whole path once; pass 0 may write pictures.
    void fly(int pass) {
        // The collapse countdowns come from their own generator: start each
        // pass from the same state so both passes collapse alike.
        RandomGenerator::collapse().seed(161803398);
        for (int i = 0; i < o_.frames; ++i) {
            renderer_.setView(path_.view(i, o_.frames));
            FrameStats s = frame();
            s.pass = pass;
            stats_.push_back(s);
            if (!o_.quiet)
                std::printf("pass %d frame %4d  cpu %8.2f ms  gpu %7.2f ms  tris %8d  meshes %6d  live %6ld"
                            "  gen %5ld  freed %5ld  imp %3d  detail %.3f\n",
                            pass, i, s.cpuMs, s.gpuMs, s.triangles, s.meshes, s.live, s.generated, s.freed,
                            s.impostors, s.detail);
            if (pass == 0 && !o_.pngDir.empty() && i % o_.every == 0) {
                char name[64];
                std::snprintf(name, sizeof name, "/frame_%04d.png", i);
                const std::string file = o_.pngDir + name;
                if (!renderer_.savePng(file.c_str()))
                    std::fprintf(stderr, "callimora-tour: cannot write %s\n", file.c_str());
            }
        }
        std::fflush(stdout);
    }

    // Figures of one pass.
    void summary(int pass) const {
        std::vector<double> cpu, gpu;
        long generated = 0, freed = 0, liveMax = 0, liveEnd = 0;
        double triangles = 0, meshes = 0;
        int trianglesMax = 0, meshesMax = 0;
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
        }
        const double n = static_cast<double>(std::max<size_t>(frames, 1));
        double cpuSum = 0;
        for (double c : cpu)
            cpuSum += c;
        std::printf("summary: pass %d  frames %zu  size %dx%d  detail %.3f\n", pass, frames, o_.width, o_.height,
                    renderer_.detail());
        std::printf("summary: cpu ms  median %.2f  p99 %.2f  mean %.2f  max %.2f\n", percentile(cpu, 0.5),
                    percentile(cpu, 0.99), cpuSum / n, percentile(cpu, 1.0));
        std::printf("summary: gpu-finish ms  median %.2f  p99 %.2f\n", percentile(gpu, 0.5), percentile(gpu, 0.99));
        std::printf("summary: triangles  mean %.0f  max %d   meshes drawn  mean %.0f  max %d\n", triangles / n,
                    trianglesMax, meshes / n, meshesMax);
        std::printf("summary: descriptions  live at end %ld  max %ld  generated %ld  freed %ld\n", liveEnd,
                    liveMax, generated, freed);
    }

private:
    FrameStats frame() {
        Desc::resetCounters();
        renderer_.trianglesDrawn = 0;
        const auto start = std::chrono::steady_clock::now();
        renderer_.beginFrame();
        sky_.draw(renderer_);
        world_.render(renderer_);
        const auto traversed = std::chrono::steady_clock::now();
        FrameStats s;
        s.triangles = renderer_.trianglesDrawn;
        s.meshes = renderer_.meshesDrawn;
        s.impostors = renderer_.impostorsMade;
        renderer_.endFrame();
        glFinish();
        const auto finished = std::chrono::steady_clock::now();
        s.cpuMs = std::chrono::duration<double, std::milli>(traversed - start).count();
        s.gpuMs = std::chrono::duration<double, std::milli>(finished - traversed).count();
        s.live = Desc::liveCount;
        s.generated = Desc::generatedCount;
        s.freed = Desc::freedCount;
        s.detail = renderer_.detail();
        return s;
    }

    const Options& o_;
    RendererGl& renderer_;
    Skybox& sky_;
    Desc& world_;
    const TourPath& path_;
    std::vector<FrameStats> stats_;
};

void printFingerprint(const Desc& world) {
    std::printf("fingerprint: %016" PRIx64 "\n", treeFingerprint(world));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0) {
            usage(stdout);
            return 0;
        }
    Options o;
    if (!parse(argc, argv, o)) {
        usage(stderr);
        return 2;
    }
    if (!o.pngDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(o.pngDir, ec);
    }
    enterExecutableFolder();
    if (!dataDirectory::found()) {
        std::fprintf(stderr, "callimora-tour: %s\n", dataDirectory::missingMessage().c_str());
        return 1;
    }

    GlWindow::Options wo;
    wo.width = o.width;
    wo.height = o.height;
    wo.headless = true;
    wo.resizable = false;
    GlWindow window(wo);
    if (!window.valid()) {
        std::fprintf(stderr, "callimora-tour: %s\n", window.error().c_str());
        return 1;
    }
    RendererGl renderer(window);
    if (!renderer.hasDevice()) {
        std::fprintf(stderr, "callimora-tour: %s\n", RendererGl::kCreateError);
        return 1;
    }

    // The window's start-up: camera, projection, light, sky, world.
    renderer.setView(makeView(TourPath::kStartEye, TourPath::kStartTarget));
    renderer.setProjection(windowProjection(o.width, o.height));
    renderer.setLight({-58, -69, 114});
    Skybox sky;
    sky.build(renderer);
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);

    renderer.setDetail(o.detail);
    renderer.graphDisplay = o.graph ? 1 : 0;
    renderer.occlusionEnabled = o.occlusion ? 1 : 0;
    if (!o.impostors)
        renderer.impostorsEnabled = 0;

    const TourPath path(&root->land);
    Tour tour(o, renderer, sky, *world, path);
    tour.fly(0);
    if (o.dumpDepth >= 0)
        dumpTree(*world, o.dumpDepth, stdout);
    const uint64_t first = treeFingerprint(*world);
    printFingerprint(*world);

    uint64_t second = first;
    if (o.repeat) {
        world->releaseImpostor();
        world->releaseChildren();
        world->countdown = Desc::kCountdownRefined;
        tour.fly(1);
        second = treeFingerprint(*world);
        printFingerprint(*world);
    }
    tour.summary(0);
    if (o.repeat)
        tour.summary(1);

    destroyWorld(world);
    sky.release();
    if (o.check && o.repeat && first != second) {
        std::fprintf(stderr, "callimora-tour: the second flight made a different tree\n");
        return 1;
    }
    return 0;
}
