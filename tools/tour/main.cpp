// callimora-tour: builds the world as the main window does, flies a fixed
// camera path through it with the OpenGL renderer on SDL's offscreen driver
// (or, with --no-render, through a null render context without any GL), and
// prints per-frame figures and a summary with the frame time breakdown. It is
// the benchmark, the picture check and the determinism check (--dump,
// --repeat, --check).
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "core/DataDirectory.h"
#include "core/Desc.h"
#include "core/GrowthBudget.h"
#include "core/NullRenderContext.h"
#include "editor/Autopilot.h"
#include "navigation/Crowd.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "tools/tour/Census.h"
#include "tools/tour/TourExport.h"
#include "tools/tour/TourFlight.h"
#include "tools/tour/TourOptions.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TourTiles.h"
#include "tools/tour/TourViews.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/World.h"
#include "typology/town/TypRegIrregular.h"

namespace {

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

void printFingerprint(const Desc& world) {
    std::printf("fingerprint: %016" PRIx64 "\n", treeFingerprint(world));
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0) {
            TourOptions::usage(stdout);
            return 0;
        }
    TourOptions o;
    if (!o.parse(argc, argv)) {
        TourOptions::usage(stderr);
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

    if (!o.exportPath.empty())
        return runTourExport(o);
    if (!o.tilesDir.empty())
        return runTourTiles(o);
    if (!o.mergeDir.empty())
        return runTourMerge(o);

    if (o.census) {
        std::unique_ptr<Desc> world;
        TypRegIrregular* root = buildWorld(world);
        const Vec2 point = censusPoint(root->land, o.atPoint());
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
    if (renderer) {
        sky.build(*renderer);
        renderer->skyLight = !o.classicLight;
        renderer->batching = o.batching;
    }
    std::unique_ptr<Desc> world;
    TypRegIrregular* root = buildWorld(world);

    ctx->setDetail(o.detail);
    ctx->graphDisplay = o.graph ? 1 : 0;
    ctx->occlusionEnabled = o.occlusion ? 1 : 0;
    if (!o.impostors)
        ctx->impostorsEnabled = 0;

    const TourView* view = o.view.empty() ? nullptr : findView(o.view);
    Vector viewEye, viewTarget;
    if (view)
        view->place(&root->land, viewEye, viewTarget);
    const TourPath path = view           ? TourPath(viewEye, viewTarget)
                          : o.streetPath ? TourPath(&root->land, streetRouteAt(*world, censusPoint(root->land,
                                                                                o.atPoint())))
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
        // Without the monitor an explicit detail stays as given; with it the
        // autopilot sets and lowers the detail as in the window.
        if (o.detailGiven && o.targetFps < 0) {
            ctx->setDetail(o.detail);
            pilot->agent.steersDetail = false;
        }
    }
    // After the start frame, which grows the start view whole, as the window
    // has long done when its autopilot is switched on.
    ctx->growth().setLimit(o.growthBudget());
    std::unique_ptr<Crowd> crowd = o.crowd ? std::make_unique<Crowd>() : nullptr;
    if (crowd && view && view->crowd) {
        // The streets exist once the town has grown around the view.
        ctx->setView(path.view(0, 1));
        ctx->beginFrame();
        world->render(*ctx);
        ctx->endFrame();
        gatherCrowd(*crowd, *ctx, world.get(), viewEye, viewTarget);
    }
    TourFlight tour(o, *ctx, renderer.get(), renderer ? &sky : nullptr, *world, path, pilot.get(), crowd.get());
    tour.fly(0);
    bool shotsWritten = true;
    for (const std::string& shot : o.shots)
        if (!renderer || !saveShot(*renderer, shot)) {
            std::fprintf(stderr, "callimora-tour: cannot write %s%s\n", shot.c_str(),
                         renderer ? "" : " without GL");
            shotsWritten = false;
        }
    if (o.dumpDepth >= 0)
        dumpTree(*world, o.dumpDepth, stdout);
    const uint64_t first = treeFingerprint(*world);
    printFingerprint(*world);

    uint64_t second = first;
    if (o.repeat) {
        ctx->growth().releaseAll();
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

    // Nodes released but not destroyed yet hold lists of the renderer.
    ctx->growth().releaseAll();
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
    return shotsWritten ? 0 : 1;
}
