// The town grown under the growth budget through the null render context: a
// camera that jumps into an ungrown quarter refines it over several frames;
// no frame grows more than the budget or leaves a hole where the unlimited
// traversal draws; once the camera has stood still the tree is the unlimited
// traversal's.
#include <gtest/gtest.h>

#include <memory>

#include "core/Desc.h"
#include "core/GrowthBudget.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "tests/core/TraversalWatch.h"
#include "tools/tour/Census.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/World.h"
#include "typology/town/TypRegIrregular.h"

using namespace traversal_watch;

namespace {

// Frames a camera stands still before every countdown has run out (a
// description refined in the last frame that grew keeps its children at most
// 250 coarse frames).
constexpr int kStill = 300;

// A fresh town and a null context of the tour's street walk at detail 1,
// looking along its first street.
struct StreetJump {
    explicit StreetJump(int budget) : ctx(480, 360) {
        RandomGenerator::collapse().seed(161803398);
        ctx.makesImpostors = true;
        ctx.setProjection(windowProjection(480, 360));
        ctx.setDetail(1);
        TypRegIrregular* root = buildWorld(world);
        const TourPath path(&root->land, streetRouteAt(*world, censusPoint(root->land, nullptr)));
        ctx.setView(path.view(0, 121));
        ctx.growth().setLimit(budget);
    }
    ~StreetJump() {
        ctx.growth().releaseAll();
        destroyWorld(world);
    }
    void frame() {
        ctx.beginFrame();
        world->render(ctx);
        ctx.endFrame();
    }

    NullRenderContext ctx;
    std::unique_ptr<Desc> world;
};

}  // namespace

TEST(BudgetedGrowth, JumpIntoAnUngrownQuarterRefinesOverFramesWithoutHolesToTheUnlimitedTree) {
    uint64_t unlimitedTree = 0;
    Outcomes whole;
    long grownAtOnce = 0;
    {
        StreetJump reference(0);
        Desc::resetCounters();
        whole = watchFrame(reference.ctx, *reference.world);
        grownAtOnce = Desc::generatedCount;
        reference.ctx.keepCalls = false;
        for (int f = 0; f < kStill; ++f)
            reference.frame();
        unlimitedTree = treeFingerprint(*reference.world);
    }
    ASSERT_GT(grownAtOnce, 4 * GrowthBudget::kDefault) << "the street view is several budgets of growth";

    StreetJump budgeted(GrowthBudget::kDefault);
    int frames = 0;
    long made = 0;
    for (; frames < 200; ++frames) {
        const Outcomes seen = watchFrame(budgeted.ctx, *budgeted.world);
        const GrowthBudget::Counts& c = budgeted.ctx.growth().counts();
        ASSERT_LE(c.made, GrowthBudget::kDefault) << "frame " << frames;
        ASSERT_LE(c.largest, GrowthBudget::kMinimum) << "one generation within the margin, frame " << frames;
        const std::string hole = firstHole(whole, seen);
        if (!hole.empty()) {
            const Desc* n = budgeted.world.get();
            for (size_t i = 0; i <= hole.size(); ++i) {
                const std::string at = hole.substr(0, i);
                auto it = seen.of.find(at);
                auto rt = whole.of.find(at);
                fprintf(stderr, "%zu %s outcome %d ref %d drew %d children %d\n", i, n ? n->className().name : "-", it == seen.of.end() ? -1 : (int)it->second, rt == whole.of.end() ? -1 : (int)rt->second, (int)seen.drewOwnShape.count(at), n ? n->childCount() : -1);
                if (n && i < hole.size()) n = (unsigned char)hole[i] < n->childCount() ? dynamic_cast<const Desc*>(n->child((unsigned char)hole[i])) : nullptr;
            }
        }
        ASSERT_EQ(hole, "") << "frame " << frames;
        made += c.made;
        if (c.made == 0 && c.waiting == 0)
            break;
    }
    EXPECT_GT(frames, 4) << "refined over several frames";
    ASSERT_LT(frames, 200) << "and completed";
    EXPECT_GE(made, grownAtOnce);
    budgeted.ctx.keepCalls = false;
    for (int f = 0; f < kStill; ++f)
        budgeted.frame();
    EXPECT_EQ(treeFingerprint(*budgeted.world), unlimitedTree);
}
