// The program's real workloads, timed with Google Benchmark: growing the town
// and a building to their leaves, one traversal at the start camera,
// recording a building's meshes and drawing views on the GL renderer, and the
// crowd's step and draw. "make bench" runs them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "bench/BenchWorld.h"
#include "core/NullRenderContext.h"
#include "navigation/Crowd.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TourViews.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

using Clock = std::chrono::steady_clock;

// The tour's default frame.
constexpr int kWidth = 640, kHeight = 480;
constexpr float kDetail = 0.4f;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Collapses d, then times growing it to its leaves again.
void regrow(benchmark::State& state, Desc& d) {
    long descriptions = 0;
    for (auto _ : state) {
        d.releaseChildren();
        const auto start = Clock::now();
        descriptions = BenchWorld::growToLeaves(d);
        state.SetIterationTime(secondsSince(start));
    }
    state.counters["descriptions"] = static_cast<double>(descriptions);
}

void BM_GrowQuarter(benchmark::State& state) { regrow(state, BenchWorld::instance().quarter()); }

// Whatever a court building holds today: every description below it is refined.
void BM_GrowCourtBuilding(benchmark::State& state) {
    Desc* court = BenchWorld::instance().courtBuilding();
    if (!court) {
        state.SkipWithError("the quarter has no court building");
        return;
    }
    regrow(state, *court);
}

// One frame's traversal of the whole world at the main window's start camera,
// without GL, on a tree already grown for that camera.
void BM_TraverseStartCamera(benchmark::State& state) {
    NullRenderContext ctx(kWidth, kHeight);
    ctx.keepCalls = false;
    ctx.setProjection(windowProjection(kWidth, kHeight));
    ctx.setView(makeView(TourPath::kStartEye, TourPath::kStartTarget));
    ctx.setDetail(kDetail);
    const long liveBefore = Desc::liveCount;
    std::unique_ptr<Desc> world;
    buildWorld(world);
    // The first frame grows the tree; later ones find it grown.
    for (int frame = 0; frame < 20; ++frame) {
        Desc::resetCounters();
        ctx.beginFrame();
        world->render(ctx);
        if (frame > 0 && Desc::generatedCount == 0)
            break;
    }
    Desc::resetCounters();
    ctx.replayed = 0;
    for (auto _ : state) {
        ctx.beginFrame();
        world->render(ctx);
    }
    state.counters["live"] = static_cast<double>(Desc::liveCount - liveBefore);
    state.counters["generated"] = benchmark::Counter(static_cast<double>(Desc::generatedCount),
                                                     benchmark::Counter::kAvgIterations);
    state.counters["lists"] = benchmark::Counter(static_cast<double>(ctx.replayed), benchmark::Counter::kAvgIterations);
    destroyWorld(world);
}

// Tessellates every leaf of a grown court building into meshes, uploads and
// draws them, as the first frame that shows the building does once its
// textures are loaded. The device's rasterisation is waited for outside the
// timed part.
void BM_RecordCourtBuilding(benchmark::State& state) {
    Desc* court = BenchWorld::instance().courtBuilding();
    if (!court) {
        state.SkipWithError("the quarter has no court building");
        return;
    }
    BenchWorld::growToLeaves(*court);
    GlWindow window({kWidth, kHeight, true, false, "callimora-bench"});
    if (!window.valid()) {
        state.SkipWithError(window.error().c_str());
        return;
    }
    RendererGl renderer(window);
    if (!renderer.hasDevice()) {
        state.SkipWithError(RendererGl::kCreateError);
        return;
    }
    renderer.setProjection(windowProjection(kWidth, kHeight));
    renderer.setView(makeView(TourPath::kStartEye, TourPath::kStartTarget));
    std::vector<Drawable*> leaves;
    BenchWorld::forEachLeaf(*court, [&](Drawable& leaf) { leaves.push_back(&leaf); });
    // One untimed recording first: it loads the materials' textures, which the
    // renderer keeps for the rest of its life.
    renderer.beginFrame();
    for (Drawable* leaf : leaves) {
        leaf->renderHandle.reset();
        leaf->render(renderer);
    }
    glFinish();
    long meshes = 0;
    for (auto _ : state) {
        renderer.beginFrame();
        const long before = renderer.meshesBuilt;
        const auto start = Clock::now();
        for (Drawable* leaf : leaves) {
            leaf->renderHandle.reset();
            leaf->render(renderer);
        }
        state.SetIterationTime(secondsSince(start));
        meshes = renderer.meshesBuilt - before;
        glFinish();
    }
    for (Drawable* leaf : leaves)
        leaf->renderHandle.reset();
    state.counters["leaves"] = static_cast<double>(leaves.size());
    state.counters["meshes"] = static_cast<double>(meshes);
}

// Five runs of at least minSeconds of timed work each, reported as mean,
// median and spread. The untimed part of an iteration (collapsing, waiting for
// the device) can cost more than the timed one: short runs keep "make bench"
// short.
void configure(benchmark::internal::Benchmark* b, benchmark::TimeUnit unit, double minSeconds) {
    b->Unit(unit)->MinTime(minSeconds)->Repetitions(5)->ReportAggregatesOnly(true);
}

// The GL renderer at one of the tour's views, the tree grown for it.
class ViewOnGl {
public:
    ~ViewOnGl() {
        if (world_)
            destroyWorld(world_);
    }
    // False, and the benchmark skipped, without the view or a device.
    bool open(benchmark::State& state, const char* name, bool batching) {
        view_ = findView(name);
        if (!view_ || !window_.valid()) {
            state.SkipWithError(view_ ? window_.error().c_str() : "no such view");
            return false;
        }
        renderer_ = std::make_unique<RendererGl>(window_);
        if (!renderer_->hasDevice()) {
            state.SkipWithError(RendererGl::kCreateError);
            return false;
        }
        renderer_->batching = batching;
        TypRegIrregular* root = buildWorld(world_);
        view_->place(&root->land, eye, target);
        renderer_->setProjection(windowProjection(kWidth, kHeight));
        renderer_->setView(makeView(eye, target));
        renderer_->setLight({-58, -69, 114});
        renderer_->setDetail(view_->detail);
        return true;
    }
    RendererGl& renderer() { return *renderer_; }
    Drawable* world() { return world_.get(); }
    // The frame's scene, left open.
    void scene() {
        renderer_->beginFrame();
        world_->render(*renderer_);
    }
    // Grown, impostors taken and groups merged before the first timed frame.
    void settle(const std::function<void()>& extra = {}) {
        for (int i = 0; i < 12; ++i) {
            scene();
            if (extra)
                extra();
            renderer_->endFrame();
        }
        glFinish();
    }

    Vector eye, target;

private:
    const TourView* view_ = nullptr;
    GlWindow window_{{kWidth, kHeight, true, false, "callimora-bench"}};
    std::unique_ptr<RendererGl> renderer_;
    std::unique_ptr<Desc> world_;
};

// One frame of the tour's street view (eye height) on the GL renderer, the
// tree grown for it and its textures loaded: traversal and submission up to
// the end of the frame, which is waited for outside the timed part. The
// argument switches batching (1) or draws every list on its own (0).
void BM_DrawStreetView(benchmark::State& state) {
    ViewOnGl v;
    if (!v.open(state, "street", state.range(0) != 0))
        return;
    v.settle();
    for (auto _ : state) {
        const auto start = Clock::now();
        v.scene();
        state.SetIterationTime(secondsSince(start));
        v.renderer().endFrame();
        glFinish();
    }
    state.counters["draws"] = v.renderer().drawCalls;
    state.counters["meshes"] = v.renderer().meshesDrawn;
}

// The crowd's step and draw for its 1000 walkers at the tour's crowd view,
// after the frame's scene: 300 gathered on the streets ahead, the others
// placed at random, all of them placed before timing. The end of the frame
// is waited for outside the timed part.
void BM_CrowdStepAndDraw(benchmark::State& state) {
    ViewOnGl v;
    if (!v.open(state, "crowd", true))
        return;
    v.settle();
    Crowd crowd;
    gatherCrowd(crowd, v.renderer(), v.world(), v.eye, v.target);
    while (crowd.placedCount() < crowd.count()) {
        const int before = crowd.placedCount();
        v.settle([&] { crowd.stepAndDraw(v.renderer(), v.world(), false); });
        if (crowd.placedCount() == before)
            break;  // the rest find no street
    }
    int drawn = 0;
    for (auto _ : state) {
        v.scene();
        const int meshes = v.renderer().meshesDrawn;
        const auto start = Clock::now();
        crowd.stepAndDraw(v.renderer(), v.world(), false);
        state.SetIterationTime(secondsSince(start));
        drawn = v.renderer().meshesDrawn - meshes;
        v.renderer().endFrame();
        glFinish();
    }
    state.counters["placed"] = crowd.placedCount();
    state.counters["bodies drawn"] = drawn;
}

BENCHMARK(BM_GrowQuarter)->UseManualTime()->Apply([](auto* b) { configure(b, benchmark::kMillisecond, 0.5); });
BENCHMARK(BM_GrowCourtBuilding)->UseManualTime()->Apply([](auto* b) { configure(b, benchmark::kMicrosecond, 0.05); });
BENCHMARK(BM_TraverseStartCamera)->Apply([](auto* b) { configure(b, benchmark::kMicrosecond, 0.2); });
BENCHMARK(BM_RecordCourtBuilding)->UseManualTime()->Apply([](auto* b) { configure(b, benchmark::kMicrosecond, 0.05); });
BENCHMARK(BM_DrawStreetView)->UseManualTime()->Arg(1)->Arg(0)->Apply([](auto* b) {
    configure(b, benchmark::kMillisecond, 0.5);
});
BENCHMARK(BM_CrowdStepAndDraw)->UseManualTime()->Apply([](auto* b) { configure(b, benchmark::kMillisecond, 0.3); });

// The data directory is "../data/" as the program sees it from its own folder.
void enterExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        std::filesystem::current_path(exe.parent_path(), ec);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    enterExecutableFolder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
