// The crowd and the camera's agent walking the generated town while the
// view makes quarters collapse and grow again under them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <cstdio>
#include <memory>
#include <set>

#include "core/Desc.h"
#include "core/Graph.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "navigation/Crowd.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

void collectNodes(Drawable& d, std::set<const GraphNode*>& live) {
    if (Graph* g = d.navigationPatch())
        for (const auto& n : g->nodes())
            live.insert(n.get());
    if (auto* desc = dynamic_cast<Desc*>(&d))
        for (int i = 0; i < desc->childCount(); ++i)
            collectNodes(*desc->child(i), live);
}

struct WalkFigures {
    long nodesVisited = 0, turns = 0, replacements = 0;
    long collapsedNodes = 0;  // nodes that went while the crowd walked
    long frames = 0;
    double positionSum = 0;
};

// Flies a NullRenderContext over the town centre, away (everything leaves
// the view and collapses) and back, `rounds` times, with a crowd walking
// throughout; checks after every frame that no agent holds a node that is no
// longer in the tree.
WalkFigures walkTheTown(int agents, int rounds = 1) {
    RandomGenerator::navigation().seed(0);
    RandomGenerator::collapse().seed(161803398);
    std::unique_ptr<Desc> world;
    buildWorld(world);
    NullRenderContext ctx(500, 400, 10000);
    ctx.setDetail(0.4f);
    Crowd crowd(agents);
    WalkFigures figures;
    size_t liveBefore = 0;

    const Vector over(2400, 300, 1500), centre(2600, 0, 1800), sky(2400, 5000, 1500);
    const struct {
        Vector eye, target;
        int frames;
    } legs[] = {{over, centre, 150}, {over, sky, 40}, {over, centre, 150}, {over + Vector(600, 0, 0), centre, 100}};
    const int legCount = static_cast<int>(std::size(legs));
    for (int n = 0; n < legCount * rounds; ++n) {
        const auto& leg = legs[n % legCount];
        ctx.lookAt(leg.eye, leg.target);
        for (int frame = 0; frame < leg.frames; ++frame) {
            ctx.beginFrame();
            world->render(ctx);
            crowd.stepAndDraw(ctx, world.get(), true);
            ctx.endFrame();
            ctx.calls.clear();

            std::set<const GraphNode*> live;
            collectNodes(*world, live);
            if (live.size() < liveBefore)
                figures.collapsedNodes += static_cast<long>(liveBefore - live.size());
            liveBefore = live.size();
            for (int i = 0; i < crowd.count(); ++i) {
                const Agent& a = crowd.agent(i);
                EXPECT_TRUE(!a.currentNode() || live.count(a.currentNode())) << "agent " << i;
                EXPECT_TRUE(!a.previousNode() || live.count(a.previousNode())) << "agent " << i;
                EXPECT_TRUE(std::isfinite(a.position.x) && std::isfinite(a.position.y) &&
                            std::isfinite(a.position.z));
            }
            if (::testing::Test::HasFailure())
                return figures;
            ++figures.frames;
        }
    }
    figures.nodesVisited = crowd.nodesVisited();
    figures.turns = crowd.turns();
    figures.replacements = crowd.replacements();
    for (int i = 0; i < crowd.count(); ++i)
        figures.positionSum += crowd.agent(i).position.x + crowd.agent(i).position.z;
    destroyWorld(world);
    return figures;
}

TEST(TownWalk, CrowdSurvivesQuartersCollapsingUnderItAndWalksAlikeTwice) {
    const WalkFigures first = walkTheTown(120);
    ASSERT_FALSE(::testing::Test::HasFailure());
    std::printf("town walk: nodes collapsed %ld  visited %ld  turns %ld  re-placed %ld\n", first.collapsedNodes,
                first.nodesVisited, first.turns, first.replacements);
    // The view really took streets away under the walkers, and they walked on.
    EXPECT_GT(first.collapsedNodes, 100);
    EXPECT_GT(first.replacements, 0);
    EXPECT_GT(first.nodesVisited, 120);
    EXPECT_GT(first.turns, 0);

    const WalkFigures second = walkTheTown(120);
    EXPECT_EQ(second.nodesVisited, first.nodesVisited);
    EXPECT_EQ(second.turns, first.turns);
    EXPECT_EQ(second.replacements, first.replacements);
    EXPECT_EQ(second.positionSum, first.positionSum);
}

// The long walk for the sanitizer builds (about 20000 frames of 440 each
// round): run with --gtest_also_run_disabled_tests; CALLI_WALK_ROUNDS
// overrides the number of rounds.
TEST(TownWalk, DISABLED_LongWalkWhileQuartersComeAndGo) {
    const char* text = std::getenv("CALLI_WALK_ROUNDS");
    const int rounds = text ? std::max(1, std::atoi(text)) : 46;
    const WalkFigures figures = walkTheTown(Crowd::kAgentCount, rounds);
    ASSERT_FALSE(::testing::Test::HasFailure());
    std::printf("long town walk: agents %d  frames %ld  nodes collapsed %ld  visited %ld  turns %ld  re-placed %ld\n",
                Crowd::kAgentCount, figures.frames, figures.collapsedNodes, figures.nodesVisited, figures.turns,
                figures.replacements);
    EXPECT_EQ(figures.frames, 440L * rounds);
    EXPECT_GT(figures.replacements, 0);
    EXPECT_GT(figures.nodesVisited, Crowd::kAgentCount);
}

}  // namespace
