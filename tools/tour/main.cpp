// callimora-tour: builds the world as the main window does, flies a fixed
// camera path through it with the OpenGL renderer on SDL's offscreen driver
// (or, with --no-render, through a null render context without any GL), and
// prints per-frame figures and a summary with the frame time breakdown. It is
// the benchmark, the picture check and the determinism check (--dump,
// --repeat, --check).
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

#include <time.h>

#include "core/DataDirectory.h"
#include "core/Desc.h"
#include "core/lod/OcclusionBuffer.h"
#include "core/NullRenderContext.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "renderer/GltfExporter.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "tools/tour/Census.h"
#include "tools/tour/ResidentMemory.h"
#include "tools/tour/TourBreakdown.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/town/TypQuaIrregular.h"
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
    bool census = false;
    std::string exportPath;  // absolute; empty: no export
    bool atGiven = false;
    float at[2] = {0, 0};  // world x, z
    bool streetPath = false;
    bool render = true;
    bool autopilot = false;
    float pilotHeight = 30.0f;
    bool crowd = false;
    bool collisions = false;
};

// To stdout for --help, to stderr after a wrong option.
void usage(std::FILE* out) {
    std::fprintf(out,
                 "usage: callimora-tour [--frames N] [--size WxH] [--png DIR] [--every K] [--graph]\n"
                 "                      [--dump DEPTH] [--repeat] [--check] [--detail X]\n"
                 "                      [--no-impostors] [--no-occlusion] [--no-render] [--quiet] [--help]\n"
                 "                      [--census] [--export FILE.glb] [--at X,Z] [--path street]\n"
                 "                      [--autopilot] [--pilot-height H] [--crowd] [--collisions]\n"
                 "  --frames N      frames along the path, 1 to 1000000 (default 240)\n"
                 "  --size WxH      render size in pixels, each side 1 to 8192 (default 640x480)\n"
                 "  --png DIR       write every K-th frame as DIR/frame_NNNN.png\n"
                 "  --every K       picture interval (default 20)\n"
                 "  --graph         show the street graph\n"
                 "  --dump DEPTH    print the generated tree down to DEPTH, then its fingerprint\n"
                 "  --repeat        collapse everything, fly the path again, print the fingerprint again\n"
                 "  --check         with --repeat: exit 1 when the two fingerprints differ, or when the\n"
                 "                  second flight ends with over 1.5 times the memory or descriptions\n"
                 "  --detail X      fixed level-of-detail factor, 0.05 to 3 (default 0.4)\n"
                 "  --no-impostors  never stand pictures in for distant descriptions\n"
                 "  --no-occlusion  never skip descriptions hidden behind drawn meshes\n"
                 "  --no-render     no GL at all: the same flight through a null render context\n"
                 "  --quiet         summary only\n"
                 "  --census        grow the quarter at the start view (or --at) to its leaves, print its\n"
                 "                  class counts, sizes, timings and fingerprint, regrow it and compare\n"
                 "  --export FILE   grow the quarter at the start view (or --at) to its leaves and write it\n"
                 "                  as binary glTF; prints its triangles, meshes, textures, size and time\n"
                 "  --at X,Z        the census or export point in world metres\n"
                 "  --path street   walk the streets of that quarter at eye height instead of the fixed path\n"
                 "  --autopilot     the autopilot walks the streets instead of the fixed path\n"
                 "  --pilot-height H  the autopilot's camera height in metres, 0 to 10000 (default 30)\n"
                 "  --crowd         step and draw the crowd (\"NPCs\")\n"
                 "  --collisions    the autopilot and the crowd test their moves against the town\n"
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
        } else if (a == "--graph")
            o.graph = true;
        else if (a == "--dump" && next(v)) {
            if (!readInt(v, 0, 1000, o.dumpDepth))
                return false;
        } else if (a == "--repeat")
            o.repeat = true;
        else if (a == "--check")
            o.check = true;
        else if (a == "--detail" && next(v)) {
            if (!readFloat(v, RenderContext::kMinDetail, RenderContext::kMaxDetail, o.detail))
                return false;
        } else if (a == "--no-impostors")
            o.impostors = false;
        else if (a == "--no-occlusion")
            o.occlusion = false;
        else if (a == "--no-render")
            o.render = false;
        else if (a == "--quiet")
            o.quiet = true;
        else if (a == "--census")
            o.census = true;
        else if (a == "--export" && next(v))
            o.exportPath = std::filesystem::absolute(v).string();
        else if (a == "--at" && next(v)) {
            if (std::sscanf(v, "%f,%f", &o.at[0], &o.at[1]) != 2 || !std::isfinite(o.at[0]) ||
                !std::isfinite(o.at[1]))
                return false;
            o.atGiven = true;
        } else if (a == "--path" && next(v)) {
            if (std::string(v) != "street")
                return false;
            o.streetPath = true;
        } else if (a == "--autopilot")
            o.autopilot = true;
        else if (a == "--pilot-height" && next(v)) {
            if (!readFloat(v, 0.0f, 10000.0f, o.pilotHeight))
                return false;
        } else if (a == "--crowd")
            o.crowd = true;
        else if (a == "--collisions")
            o.collisions = true;
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

// The second flight over the same path may end with at most this many times
// the first one's resident memory and live descriptions.
constexpr double kRepeatGrowth = 1.5;
#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer holds freed memory back in quarantine: resident memory
// grows from pass to pass whatever the program keeps, so only descriptions count.
constexpr bool kResidentMemoryTells = false;
#else
constexpr bool kResidentMemoryTells = true;
#endif

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

double percentile(const std::vector<double>& v, double p) { return TourBreakdown::percentile(v, p); }
// CPU time of this thread in milliseconds: what a figure costs the frame loop
// itself, whatever else the machine runs.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}


class Tour {
public:
    // renderer and sky: null for a flight without GL. pilot and crowd: not owned, may be null.
    Tour(const Options& options, RenderContext& ctx, RendererGl* renderer, Skybox* sky, Desc& world,
         const TourPath& path, Autopilot* pilot, Crowd* crowd)
        : o_(options), ctx_(ctx), renderer_(renderer), sky_(sky), world_(world), path_(path), pilot_(pilot),
          crowd_(crowd) {}

    // Flies the whole path once; pass 0 may write pictures.
    void fly(int pass) {
        // The collapse countdowns come from their own generator: start each
        // pass from the same state so both passes collapse alike.
        RandomGenerator::collapse().seed(161803398);
        const bool peakReset = ResidentMemory::resetPeak();
        long peakKb = 0;
        // Occlusion starts each pass on trial, as at start-up.
        ctx_.occlusion().reset(OcclusionBuffer::kTrial);
        for (int i = 0; i < o_.frames; ++i) {
            if (pilot_)
                pilot_->tick(ctx_, &world_, o_.collisions);
            else
                ctx_.setView(path_.view(i, o_.frames));
            FrameStats s = frame(pass);
            peakKb = std::max(peakKb, ResidentMemory::currentKb());
            s.pass = pass;
            stats_.push_back(s);
            if (!o_.quiet)
                std::printf("pass %d frame %4d  cpu %8.2f ms  gpu %7.2f ms  tris %8d  meshes %6d  live %6ld"
                            "  gen %5ld  freed %5ld  imp %3d  shown %4d  occ %5d/%5d m%d  detail %.3f\n",
                            pass, i, s.cpuMs, s.gpuMs, s.triangles, s.meshes, s.live, s.generated, s.freed,
                            s.impostors, s.impostorsShown, s.occlusionHits, s.occlusionTests, s.occlusionMode,
                            s.detail);
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

    const TourBreakdown& breakdown() const { return breakdown_; }

    // Figures of one pass.
    void summary(int pass) const {
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
        std::printf("summary: pass %d  frames %zu  size %dx%d  detail %.3f\n", pass, frames, o_.width, o_.height,
                    ctx_.detail());
        std::printf("summary: cpu ms  median %.2f  p99 %.2f  mean %.2f  max %.2f\n", percentile(cpu, 0.5),
                    percentile(cpu, 0.99), cpuSum / n, percentile(cpu, 1.0));
        if (renderer_) {
            std::printf("summary: gpu-finish ms  median %.2f  p99 %.2f\n", percentile(gpu, 0.5),
                        percentile(gpu, 0.99));
            std::printf("summary: triangles  mean %.0f  max %d   meshes drawn  mean %.0f  max %d\n",
                        triangles / n, trianglesMax, meshes / n, meshesMax);
        }
        std::printf("summary: descriptions  live at end %ld  max %ld  generated %ld  freed %ld\n", liveEnd,
                    liveMax, generated, freed);
        breakdown_.print(pass, renderer_ != nullptr, stdout);
        std::printf("summary: impostors  made %ld  shown mean %.0f  max %d\n", made, shown / n, shownMax);
        std::printf("summary: occlusion  tests %ld  hits %ld  frames culling %d\n", tests, hits, framesCulling);
        if (crowd_) {
            std::vector<double> crowdMs, crowdCpuMs;
            for (const FrameStats& s : stats_)
                if (s.pass == pass) {
                    crowdMs.push_back(s.crowdMs);
                    crowdCpuMs.push_back(s.crowdCpuMs);
                }
            std::printf("summary: crowd step and draw ms  median %.2f  p99 %.2f  cpu median %.2f  p99 %.2f"
                        "  placed %d of %d\n",
                        percentile(crowdMs, 0.5), percentile(crowdMs, 0.99), percentile(crowdCpuMs, 0.5),
                        percentile(crowdCpuMs, 0.99), crowd_->placedCount(), crowd_->count());
            std::printf("crowd: nodes visited %ld  turns %ld  re-placed %ld\n", crowd_->nodesVisited(),
                        crowd_->turns(), crowd_->replacements());
        }
        if (pilot_)
            std::printf("autopilot: nodes visited %ld  turns %ld  re-placed %ld\n", pilot_->agent.nodesVisited,
                        pilot_->agent.turns, pilot_->agent.replacements);
    }

private:
    FrameStats frame(int pass) {
        Desc::resetCounters();
        ctx_.trianglesDrawn = 0;
        Profiler::instance().resetFrame();
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
        s.triangles = ctx_.trianglesDrawn;
        s.meshes = renderer_ ? renderer_->meshesDrawn : 0;
        s.impostors = ctx_.impostorsMade;
        s.impostorsShown = renderer_ ? renderer_->impostorsShown : 0;
        s.occlusionTests = ctx_.occlusion().tests;
        s.occlusionHits = ctx_.occlusion().hits;
        ctx_.endFrame();
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

    const Options& o_;
    RenderContext& ctx_;
    RendererGl* renderer_;  // null without GL
    Skybox* sky_;           // null without GL
    Desc& world_;
    const TourPath& path_;
    Autopilot* pilot_;  // not owned; null: the fixed path
    Crowd* crowd_;      // not owned; null: no crowd
    std::vector<FrameStats> stats_;
    TourBreakdown breakdown_;
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

    if (!o.exportPath.empty()) {
        std::unique_ptr<Desc> world;
        TypRegIrregular* root = buildWorld(world);
        const Vec2 point = censusPoint(root->land, o.atGiven ? o.at : nullptr);
        Matrix44 frame;
        int result = 0;
        if (TypQuaIrregular* quarter = findQuarter(*world, point.x, point.y, frame)) {
            growToLeaves(*quarter);
            GltfExporter exporter;
            if (exporter.exportSubtree(*quarter, o.exportPath)) {
                const GltfExporter::Summary& s = exporter.summary();
                std::printf("export: %s  triangles %ld  meshes %d  textures %d  bytes %ld  ms %.1f\n",
                            o.exportPath.c_str(), s.triangles, s.meshes, s.textures, s.bytes, s.ms);
            } else {
                std::fprintf(stderr, "callimora-tour: export failed: %s\n", exporter.error().c_str());
                result = 1;
            }
        } else {
            std::fprintf(stderr, "callimora-tour: no quarter at %.1f,%.1f\n", point.x, point.y);
            result = 1;
        }
        destroyWorld(world);
        return result;
    }

    if (o.census) {
        std::unique_ptr<Desc> world;
        TypRegIrregular* root = buildWorld(world);
        const Vec2 point = censusPoint(root->land, o.atGiven ? o.at : nullptr);
        const int result = runCensus(*world, point.x, point.y, stdout);
        destroyWorld(world);
        return result;
    }

    // Without GL the same flight goes through a null render context of the same size.
    std::unique_ptr<GlWindow> window;
    std::unique_ptr<RendererGl> renderer;
    NullRenderContext nullContext(o.width, o.height);
    nullContext.keepCalls = false;
    // Impostors without pictures, by the renderer's rules, so that the same
    // descriptions are drawn through them and refined below them.
    nullContext.makesImpostors = true;
    RenderContext* ctx = &nullContext;
    if (o.render) {
        GlWindow::Options wo;
        wo.width = o.width;
        wo.height = o.height;
        wo.headless = true;
        wo.resizable = false;
        window = std::make_unique<GlWindow>(wo);
        if (!window->valid()) {
            std::fprintf(stderr, "callimora-tour: %s\n", window->error().c_str());
            return 1;
        }
        renderer = std::make_unique<RendererGl>(*window);
        if (!renderer->hasDevice()) {
            std::fprintf(stderr, "callimora-tour: %s\n", RendererGl::kCreateError);
            return 1;
        }
        ctx = renderer.get();
    } else if (!o.pngDir.empty()) {
        std::fprintf(stderr, "callimora-tour: without GL there are no pictures to write\n");
    }

    // The window's start-up: camera, projection, light, sky, world.
    ctx->setView(makeView(TourPath::kStartEye, TourPath::kStartTarget));
    ctx->setProjection(windowProjection(o.width, o.height));
    ctx->setLight({-58, -69, 114});
    Skybox sky;
    if (renderer)
        sky.build(*renderer);
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);

    ctx->setDetail(o.detail);
    ctx->graphDisplay = o.graph ? 1 : 0;
    ctx->occlusionEnabled = o.occlusion ? 1 : 0;
    if (!o.impostors)
        ctx->impostorsEnabled = 0;

    const TourPath path = o.streetPath ? TourPath(&root->land, streetRouteAt(*world, censusPoint(root->land,
                                                                       o.atGiven ? o.at : nullptr)))
                                       : TourPath(&root->land);
    std::unique_ptr<Autopilot> pilot;
    if (o.autopilot) {
        pilot = std::make_unique<Autopilot>();
        pilot->agent.height = o.pilotHeight;
        // The streets exist once the town has grown: one frame from the start camera first.
        ctx->beginFrame();
        world->render(*ctx);
        ctx->endFrame();
        if (!pilot->switchOn(*ctx, world.get()))
            std::fprintf(stderr, "callimora-tour: the autopilot found no street to walk\n");
    }
    std::unique_ptr<Crowd> crowd = o.crowd ? std::make_unique<Crowd>() : nullptr;
    Tour tour(o, *ctx, renderer.get(), renderer ? &sky : nullptr, *world, path, pilot.get(), crowd.get());
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
    if (renderer)
        std::printf("summary: GL renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    else
        std::printf("summary: no GL: null render context\n");
    tour.summary(0);
    if (o.repeat)
        tour.summary(1);

    destroyWorld(world);
    if (renderer)
        sky.release();
    if (o.check && o.repeat && first != second) {
        std::fprintf(stderr, "callimora-tour: the second flight made a different tree\n");
        return 1;
    }
    if (o.check && o.repeat && !tour.breakdown().endedWithin(0, 1, kRepeatGrowth, kResidentMemoryTells)) {
        std::fprintf(stderr, "callimora-tour: the second flight ended with more than %.1f times the memory or "
                             "descriptions of the first\n", kRepeatGrowth);
        return 1;
    }
    return 0;
}
