// callimora-tour: builds the world as the main window does, flies a fixed
// camera path through it with the OpenGL renderer on SDL's offscreen driver,
// and prints per-frame figures and a summary. It is the benchmark, the picture
// check and the determinism check (--dump, --repeat, --check).
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <time.h>


#include "core/Desc.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

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
    bool autopilot = false;
    float pilotHeight = 30.0f;
    bool crowd = false;
    bool collisions = false;
};

void usage() {
    std::fprintf(stderr,
                 "usage: callimora-tour [--frames N] [--size WxH] [--png DIR] [--every K] [--graph]\n"
                 "                      [--dump DEPTH] [--repeat] [--check] [--detail X]\n"
                 "                      [--no-impostors] [--no-occlusion] [--quiet]\n"
                 "                      [--autopilot] [--pilot-height H] [--crowd] [--collisions]\n"
                 "  --frames N      frames along the path (default 240)\n"
                 "  --size WxH      render size in pixels (default 640x480)\n"
                 "  --png DIR       write every K-th frame as DIR/frame_NNNN.png\n"
                 "  --every K       picture interval (default 20)\n"
                 "  --graph         show the street graph\n"
                 "  --dump DEPTH    print the generated tree down to DEPTH, then its fingerprint\n"
                 "  --repeat        collapse everything, fly the path again, print the fingerprint again\n"
                 "  --check         with --repeat: exit 1 when the two fingerprints differ\n"
                 "  --detail X      fixed level-of-detail factor (default 0.4)\n"
                 "  --quiet         summary only\n"
                 "  --autopilot     the autopilot walks the streets instead of the fixed path\n"
                 "  --pilot-height H  the autopilot's camera height in metres, 0 to 10000 (default 30)\n"
                 "  --crowd         step and draw the crowd (\"NPCs\")\n"
                 "  --collisions    the autopilot and the crowd test their moves against the town\n");
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
        if (a == "--frames" && next(v))
            o.frames = std::atoi(v);
        else if (a == "--size" && next(v)) {
            if (std::sscanf(v, "%dx%d", &o.width, &o.height) != 2)
                return false;
        } else if (a == "--png" && next(v))
            o.pngDir = std::filesystem::absolute(v).string();
        else if (a == "--every" && next(v))
            o.every = std::atoi(v);
        else if (a == "--graph")
            o.graph = true;
        else if (a == "--dump" && next(v))
            o.dumpDepth = std::atoi(v);
        else if (a == "--repeat")
            o.repeat = true;
        else if (a == "--check")
            o.check = true;
        else if (a == "--detail" && next(v))
            o.detail = static_cast<float>(std::atof(v));
        else if (a == "--no-impostors")
            o.impostors = false;
        else if (a == "--no-occlusion")
            o.occlusion = false;
        else if (a == "--quiet")
            o.quiet = true;
        else if (a == "--autopilot")
            o.autopilot = true;
        else if (a == "--pilot-height" && next(v))
            o.pilotHeight = static_cast<float>(std::atof(v));
        else if (a == "--crowd")
            o.crowd = true;
        else if (a == "--collisions")
            o.collisions = true;
        else
            return false;
    }
    return o.frames > 0 && o.width > 0 && o.height > 0 && o.every > 0 && o.detail > 0 && o.pilotHeight >= 0 &&
           o.pilotHeight <= 10000;
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
    double crowdMs = 0;     // the crowd's step and draw, inside cpuMs (wall clock)
    double crowdCpuMs = 0;  // the same, CPU time of the thread
};

// CPU time of this thread in milliseconds: what a figure costs the frame loop
// itself, whatever else the machine runs.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

class Tour {
public:
    Tour(const Options& options, RendererGl& renderer, Skybox& sky, Desc& world, const TourPath& path,
         Autopilot* pilot, Crowd* crowd)
        : o_(options), renderer_(renderer), sky_(sky), world_(world), path_(path), pilot_(pilot), crowd_(crowd) {}

    // Flies the whole path once; pass 0 may write pictures.
    void fly(int pass) {
        // The collapse countdowns come from their own generator: start each
        // pass from the same state so both passes collapse alike.
        RandomGenerator::collapse().seed(161803398);
        for (int i = 0; i < o_.frames; ++i) {
            if (pilot_)
                pilot_->tick(renderer_, &world_, o_.collisions);
            else
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
    FrameStats frame() {
        Desc::resetCounters();
        renderer_.trianglesDrawn = 0;
        const auto start = std::chrono::steady_clock::now();
        renderer_.beginFrame();
        sky_.draw(renderer_);
        world_.render(renderer_);
        FrameStats s;
        if (crowd_) {
            const auto crowdStart = std::chrono::steady_clock::now();
            const double crowdCpuStart = threadCpuMs();
            crowd_->stepAndDraw(renderer_, &world_, o_.collisions);
            s.crowdCpuMs = threadCpuMs() - crowdCpuStart;
            s.crowdMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - crowdStart)
                            .count();
        }
        const auto traversed = std::chrono::steady_clock::now();
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
    Autopilot* pilot_;  // not owned; null: the fixed path
    Crowd* crowd_;      // not owned; null: no crowd
    std::vector<FrameStats> stats_;
};

void printFingerprint(const Desc& world) {
    std::printf("fingerprint: %016" PRIx64 "\n", treeFingerprint(world));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        usage();
        return 2;
    }
    if (!o.pngDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(o.pngDir, ec);
    }
    enterExecutableFolder();

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
    std::unique_ptr<Autopilot> pilot;
    if (o.autopilot) {
        pilot = std::make_unique<Autopilot>();
        pilot->agent.height = o.pilotHeight;
        // The streets exist once the town has grown: one frame from the start camera first.
        renderer.beginFrame();
        world->render(renderer);
        renderer.endFrame();
        if (!pilot->switchOn(renderer, world.get()))
            std::fprintf(stderr, "callimora-tour: the autopilot found no street to walk\n");
    }
    std::unique_ptr<Crowd> crowd = o.crowd ? std::make_unique<Crowd>() : nullptr;
    Tour tour(o, renderer, sky, *world, path, pilot.get(), crowd.get());
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
