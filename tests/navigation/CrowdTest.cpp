#include "navigation/Crowd.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "core/Graph.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "tests/navigation/StreetsFixture.h"

namespace {

int bodiesDrawn(const NullRenderContext& ctx) {
    int n = 0;
    for (const auto& c : ctx.calls)
        n += c.op == "extrudedPolygon" ? 1 : 0;
    return n;
}

class CrowdTest : public ::testing::Test {
protected:
    void SetUp() override {
        RandomGenerator::navigation().seed(0);
        // A 40 m square block: four corners joined in a ring.
        ring = streets.chain({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
        addEdge(ring[3], ring[0]);
    }
    NullRenderContext ctx;
    Streets streets;
    std::vector<GraphNode*> ring;
};

TEST_F(CrowdTest, AgentsAreMadeStandingWithBodyHeightsFromTheNavigationGenerator) {
    RandomGenerator expected(0);
    RandomGenerator::navigation().seed(0);
    Crowd crowd(5);
    for (int i = 0; i < crowd.count(); ++i) {
        const Agent& a = crowd.agent(i);
        EXPECT_FALSE(a.placed());
        EXPECT_EQ(a.speed, 0.0f);
        EXPECT_EQ(a.configuredSpeed, Agent::kNewSpeed);
        EXPECT_FLOAT_EQ(a.height, 1.5f + 0.5f * static_cast<float>(expected.uniform()));
    }
    EXPECT_EQ(Crowd().count(), Crowd::kAgentCount);
}

TEST_F(CrowdTest, PlacesAFewAgentsPerFrameAtTheirConfiguredSpeedAndDrawsThePlacedOnes) {
    Crowd crowd(50);
    crowd.stepAndDraw(ctx, &streets, false);
    EXPECT_EQ(crowd.placedCount(), Crowd::kPlacementsPerFrame);
    EXPECT_EQ(bodiesDrawn(ctx), Crowd::kPlacementsPerFrame);
    ctx.calls.clear();
    crowd.stepAndDraw(ctx, &streets, false);
    crowd.stepAndDraw(ctx, &streets, false);
    EXPECT_EQ(crowd.placedCount(), 50);
    for (int i = 0; i < crowd.count(); ++i)
        EXPECT_EQ(crowd.agent(i).speed, Agent::kNewSpeed);
    ctx.calls.clear();
    crowd.stepAndDraw(ctx, &streets, false);
    EXPECT_EQ(bodiesDrawn(ctx), 50);
    // Drawn directly: nothing is left collected in the context.
    EXPECT_EQ(ctx.endList(), nullptr);
    EXPECT_EQ(ctx.replayed, 0);
}

TEST_F(CrowdTest, WalksRoundTheBlockWithoutTouchingTheDetail) {
    Crowd crowd(30);
    for (int frame = 0; frame < 3000; ++frame)
        crowd.stepAndDraw(ctx, &streets, false);
    EXPECT_GT(crowd.nodesVisited(), 30L * 10);
    EXPECT_GT(crowd.turns(), 30L * 5);
    EXPECT_EQ(ctx.detail(), 0.4f);
    for (int i = 0; i < crowd.count(); ++i) {
        const Vector p = crowd.agent(i).position;
        // On the ring's sides, within a step or two.
        const bool onSide = p.x < 1 || p.x > 39 || p.z < 1 || p.z > 39;
        EXPECT_TRUE(onSide) << i << ": " << p.x << ", " << p.z;
    }
}

TEST_F(CrowdTest, NothingIsPlacedWithoutAWorld) {
    Crowd crowd(10);
    crowd.stepAndDraw(ctx, nullptr, true);
    EXPECT_EQ(crowd.placedCount(), 0);
    EXPECT_EQ(bodiesDrawn(ctx), 0);
}

TEST_F(CrowdTest, AgentsOnACollapsedPatchArePlacedAgainNearWhereTheyStood) {
    // A side street hanging off one corner, owned by a patch that collapses.
    auto side = std::make_unique<Graph>();
    GraphNode* previous = ring[2];
    for (int i = 1; i <= 6; ++i) {
        GraphNode* n = side->addNode(Vector(40 + 10.0f * i, 0, 40), false);
        addEdge(previous, n);
        previous = n;
    }
    Crowd crowd(200);
    for (int frame = 0; frame < 400; ++frame)
        crowd.stepAndDraw(ctx, &streets, true);
    int onSide = 0;
    for (int i = 0; i < crowd.count(); ++i)
        onSide += side->indexOf(crowd.agent(i).currentNode()) >= 0 ? 1 : 0;
    ASSERT_GT(onSide, 0);

    side.reset();
    int lost = 0;
    for (int i = 0; i < crowd.count(); ++i)
        lost += crowd.agent(i).lost() ? 1 : 0;
    EXPECT_EQ(lost, onSide);
    const std::set<const GraphNode*> live(ring.begin(), ring.end());
    for (int frame = 0; frame < 100; ++frame) {
        crowd.stepAndDraw(ctx, &streets, true);
        for (int i = 0; i < crowd.count(); ++i) {
            const Agent& a = crowd.agent(i);
            ASSERT_TRUE(!a.currentNode() || live.count(a.currentNode()));
            ASSERT_TRUE(!a.previousNode() || live.count(a.previousNode()));
        }
    }
    EXPECT_EQ(crowd.placedCount(), crowd.count());
    EXPECT_EQ(crowd.replacements(), onSide);
}

}  // namespace
