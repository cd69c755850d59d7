#include "navigation/Agent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Drawable.h"
#include "core/Graph.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "tests/navigation/StreetsFixture.h"

namespace {

// The agent started at the first node of a chain, looking along +x.
void startAtFirstNode(Agent& agent, Streets& streets, float speed) {
    agent.start(&streets, streets.graph.node(0)->position, {1, 0, 0}, true);
    agent.speed = speed;
}

// Steps until the agent has reached `visits` nodes (at most `limit` frames);
// the frames taken.
int walkUntilVisited(Agent& agent, RenderContext& ctx, long visits, int limit = 10000) {
    int frames = 0;
    while (agent.nodesVisited < visits && frames < limit) {
        agent.step(ctx, nullptr);
        ++frames;
    }
    return frames;
}

float horizontalAngle(const Vector& v) { return std::atan2(v.z, v.x); }

class AgentTest : public ::testing::Test {
protected:
    void SetUp() override { RandomGenerator::navigation().seed(0); }
    NullRenderContext ctx;
    Streets streets;
    Agent agent;
};

TEST_F(AgentTest, StartsAtTheVisitedNodeNearestThePositionAndHeadsStraightOn) {
    streets.chain(straightStreet(6));
    agent.start(&streets, {31, 0, 2}, {1, 0, 0}, true);
    ASSERT_TRUE(agent.placed());
    EXPECT_EQ(agent.previousNode(), streets.graph.node(3));
    EXPECT_EQ(agent.currentNode(), streets.graph.node(4));
    EXPECT_EQ(agent.position, streets.graph.node(3)->position);
    EXPECT_EQ(agent.lookPoint, streets.graph.node(4)->position);
    EXPECT_EQ(agent.heading, Vector(1, 0, 0));

    // Looking the other way, it heads back along the street.
    agent.start(&streets, {31, 0, 2}, {-1, 0, 0.1f}, true);
    EXPECT_EQ(agent.currentNode(), streets.graph.node(2));
}

TEST_F(AgentTest, RandomStartIsRepeatableFromTheGeneratorsState) {
    streets.chain(straightStreet(8));
    agent.start(&streets, {}, {}, false);
    ASSERT_TRUE(agent.placed());
    const GraphNode* first = agent.previousNode();
    const Vector heading = agent.heading;
    EXPECT_NEAR(Vec2(heading.x, heading.z).length(), 1.0f, 1e-5f);
    EXPECT_EQ(heading.y, 0.0f);

    RandomGenerator::navigation().seed(0);
    Agent again;
    again.start(&streets, {}, {}, false);
    EXPECT_EQ(again.previousNode(), first);
    EXPECT_EQ(again.heading, heading);
}

TEST_F(AgentTest, StaysUnplacedWithoutANodeThatHasANeighbour) {
    streets.graph.addNode(Vector(1, 0, 1), false);
    agent.start(&streets, {}, {1, 0, 0}, true);
    EXPECT_FALSE(agent.placed());
    EXPECT_FALSE(agent.lost());
    agent.start(nullptr, {}, {1, 0, 0}, true);
    EXPECT_FALSE(agent.placed());
    // An unplaced or standing agent is never stepped: no zero step vector.
    agent.speed = 0.5f;
    agent.step(ctx, nullptr);
    EXPECT_EQ(agent.position, Vector());
}

TEST_F(AgentTest, StandingAgentDoesNotStep) {
    streets.chain(straightStreet(3));
    startAtFirstNode(agent, streets, 0);
    const Vector before = agent.position;
    for (int i = 0; i < 5; ++i)
        agent.step(ctx, nullptr);
    EXPECT_EQ(agent.position, before);
    EXPECT_EQ(agent.nodesVisited, 0);
}

TEST_F(AgentTest, StraightStreetIsWalkedWithoutTurning) {
    streets.chain(straightStreet(12));
    startAtFirstNode(agent, streets, 0.5f);
    float x = agent.position.x;
    for (int frame = 0; agent.nodesVisited < 9; ++frame) {
        ASSERT_LT(frame, 1000);
        agent.step(ctx, nullptr);
        // Two steps of 0.5 m every frame, and never a turn frame.
        EXPECT_NEAR(agent.position.x - x, 1.0f, 1e-4f);
        EXPECT_EQ(agent.turnFrames, 0);
        EXPECT_EQ(agent.position.z, 0.0f);
        x = agent.position.x;
    }
    EXPECT_EQ(agent.turns, 0);
    EXPECT_EQ(agent.currentNode(), streets.graph.node(10));
    EXPECT_EQ(ctx.detail(), 0.4f);  // no turn, no change
}

TEST_F(AgentTest, RightAngleCornerTurnsTheGazeFor75FramesWithoutMoving) {
    // (0,0) -> (10,0) -> (10,10): a quarter turn at the middle node.
    const auto nodes = streets.chain({{0, 0}, {10, 0}, {10, 10}});
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 1);
    ASSERT_EQ(agent.nodesVisited, 1);
    EXPECT_EQ(agent.turnFrames, 75);
    EXPECT_EQ(agent.currentNode(), nodes[2]);
    EXPECT_EQ(agent.turnTarget, nodes[2]->position);
    EXPECT_NEAR(ctx.detail(), 0.4f * 0.9f, 1e-6f);

    const Vector stand = agent.position;
    float angle = horizontalAngle(agent.lookPoint - stand);
    EXPECT_NEAR(angle, 0.0f, 1e-5f);
    for (int frame = 1; frame < 75; ++frame) {
        agent.step(ctx, nullptr);
        ASSERT_EQ(agent.position, stand);
        const float now = horizontalAngle(agent.lookPoint - stand);
        // The gaze swings towards +z by a 75th of the quarter turn each frame.
        EXPECT_NEAR(now - angle, 1.5707963f / 75, 1e-4f) << "frame " << frame;
        angle = now;
    }
    agent.step(ctx, nullptr);
    EXPECT_EQ(agent.position, stand);
    EXPECT_EQ(agent.lookPoint, nodes[2]->position);
    EXPECT_FALSE(agent.turning());
    EXPECT_EQ(agent.turns, 1);

    // Then it walks on towards the new node.
    agent.step(ctx, nullptr);
    EXPECT_GT(agent.position.z, stand.z + 0.9f);
}

TEST_F(AgentTest, TurnsTheShortWayRoundBothWays) {
    const auto left = streets.chain({{0, 0}, {10, 0}, {10, -10}});
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 1);
    ASSERT_EQ(agent.turnFrames, 75);
    EXPECT_LT(agent.turnStep, 0.0f);
    for (int i = 0; i < 40; ++i)
        agent.step(ctx, nullptr);
    EXPECT_LT(agent.lookPoint.z, agent.position.z);
    (void)left;
}

TEST_F(AgentTest, CoincidentNodesArePassedWithoutAZeroStep) {
    // Two nodes at the same point: standing on the look point is an arrival.
    const auto nodes = streets.chain({{0, 0}, {10, 0}, {10, 0}, {20, 0}, {30, 0}});
    startAtFirstNode(agent, streets, 0.5f);
    EXPECT_NO_THROW(walkUntilVisited(agent, ctx, 3, 200));
    EXPECT_EQ(agent.nodesVisited, 3);
    EXPECT_EQ(agent.currentNode(), nodes[4]);
    EXPECT_EQ(agent.turns, 0);
    EXPECT_TRUE(std::isfinite(agent.position.x));
}

TEST_F(AgentTest, EdgeStraightUpIsClimbedWithoutATurn) {
    // A street end at (10, 0) with a node 5 m above it, then on along x: the
    // vertical edge has no horizontal direction to turn from or to.
    const auto nodes = streets.chain({{0, 0}, {10, 0}});
    GraphNode* up = streets.graph.addNode(Vector(10, 5, 0), false);
    GraphNode* on = streets.graph.addNode(Vector(20, 5, 0), false);
    addEdge(nodes[1], up);
    addEdge(up, on);
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 2, 200);
    ASSERT_EQ(agent.nodesVisited, 2);
    EXPECT_EQ(agent.currentNode(), on);
    EXPECT_EQ(agent.turns, 0);
    EXPECT_FALSE(agent.turning());
    EXPECT_EQ(ctx.detail(), 0.4f);
    agent.step(ctx, nullptr);
    EXPECT_NEAR(agent.position.y, 5.0f, 1e-4f);
    EXPECT_GT(agent.position.x, 10.5f);
}

TEST_F(AgentTest, ReplacingDuringATurnDropsTheTurn) {
    streets.chain({{0, 0}, {10, 0}, {10, 10}});
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 1);
    ASSERT_TRUE(agent.turning());
    agent.start(&streets, streets.graph.node(0)->position, {1, 0, 0}, true);
    EXPECT_FALSE(agent.turning());
    agent.step(ctx, nullptr);
    EXPECT_NEAR(agent.position.x, 1.0f, 1e-5f);  // walking again at once
}

TEST_F(AgentTest, ObstacleAheadMakesItCreepOneStepPerFrame) {
    streets.chain(straightStreet(4));
    startAtFirstNode(agent, streets, 0.5f);
    streets.blocking = [](const Vector&, const Vector&) { return true; };
    for (int frame = 0; frame < 8; ++frame) {
        const float x = agent.position.x;
        agent.step(ctx, &streets);
        EXPECT_NEAR(agent.position.x - x, 0.5f, 1e-5f);
    }
    EXPECT_EQ(agent.nodesVisited, 0);
    EXPECT_EQ(streets.blockedTests, 8);
    // Without collisions the same obstacle is not asked.
    agent.step(ctx, nullptr);
    EXPECT_EQ(streets.blockedTests, 8);

    // Creeping on, it reaches its node and walks on along the street: it never
    // overshoots the node and swings to and fro round it.
    for (int frame = 0; frame < 40; ++frame) {
        const float x = agent.position.x;
        agent.step(ctx, &streets);
        EXPECT_GE(agent.position.x, x);
    }
    EXPECT_EQ(agent.nodesVisited, 2);
    EXPECT_EQ(agent.currentNode(), streets.graph.node(3));
}

TEST_F(AgentTest, DeadEndTurnsTheAgentBack) {
    const auto nodes = streets.chain({{0, 0}, {10, 0}});
    startAtFirstNode(agent, streets, 0.5f);
    ASSERT_EQ(agent.currentNode(), nodes[1]);
    EXPECT_NO_THROW(walkUntilVisited(agent, ctx, 1));
    EXPECT_EQ(agent.previousNode(), nodes[1]);
    EXPECT_EQ(agent.currentNode(), nodes[0]);
    EXPECT_EQ(agent.turnFrames, 150);  // a half turn
    // It walks back and forth for ever.
    EXPECT_NO_THROW(walkUntilVisited(agent, ctx, 6));
    EXPECT_EQ(agent.nodesVisited, 6);
}

TEST_F(AgentTest, NodeReleasedUnderTheAgentLeavesItLostThenReplaced) {
    // The root's street, and a side street of another patch joined to its end
    // that will collapse under the walking agent.
    const auto main = streets.chain({{0, 0}, {10, 0}});
    auto side = std::make_unique<Graph>();
    GraphNode* c = side->addNode(Vector(20, 0, 0), false);
    GraphNode* d = side->addNode(Vector(30, 0, 0), false);
    addEdge(main[1], c);
    addEdge(c, d);
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 1);
    ASSERT_EQ(agent.currentNode(), c);
    EXPECT_EQ(c->watcherCount(), 1);
    EXPECT_EQ(main[0]->watcherCount(), 0);  // the nodes left behind forget the agent

    agent.step(ctx, nullptr);
    const Vector where = agent.position;
    side.reset();  // the owner's children go: c and d are deleted
    EXPECT_TRUE(agent.lost());
    EXPECT_FALSE(agent.placed());
    EXPECT_EQ(agent.previousNode(), main[1]);
    for (int i = 0; i < 3; ++i)
        agent.step(ctx, nullptr);  // stands still, reads nothing freed
    EXPECT_EQ(agent.position, where);

    ASSERT_TRUE(agent.replace(&streets));
    EXPECT_EQ(agent.replacements, 1);
    EXPECT_FALSE(agent.lost());
    EXPECT_EQ(agent.previousNode(), main[1]);  // the node nearest where it stood
    EXPECT_EQ(agent.currentNode(), main[0]);   // the only way on
    walkUntilVisited(agent, ctx, agent.nodesVisited + 3);
}

TEST_F(AgentTest, NodeLeftWithoutNeighboursStrandsTheAgentUntilReplaced) {
    // r0 - r1 - s - e, where s belongs to a patch that collapses and e stays.
    const auto main = streets.chain({{-10, 0}, {0, 0}});
    GraphNode* e = streets.graph.addNode(Vector(20, 0, 0), false);
    auto side = std::make_unique<Graph>();
    GraphNode* s = side->addNode(Vector(10, 0, 0), false);
    addEdge(main[1], s);
    addEdge(s, e);
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 2);
    ASSERT_EQ(agent.currentNode(), e);
    side.reset();
    EXPECT_TRUE(agent.placed());  // e is still there, but leads nowhere
    walkUntilVisited(agent, ctx, 3, 100);
    EXPECT_TRUE(agent.lost());
    EXPECT_EQ(agent.nodesVisited, 2);
    EXPECT_NEAR(agent.position.x, 20.0f, 0.5f);
    ASSERT_TRUE(agent.replace(&streets));
    EXPECT_EQ(agent.previousNode(), main[1]);
}

TEST_F(AgentTest, WholeGraphClearedUnderTheAgent) {
    streets.chain(straightStreet(5));
    startAtFirstNode(agent, streets, 0.5f);
    walkUntilVisited(agent, ctx, 2);
    streets.graph.clear();
    EXPECT_TRUE(agent.lost());
    EXPECT_EQ(agent.previousNode(), nullptr);
    EXPECT_FALSE(agent.replace(&streets));
    agent.step(ctx, nullptr);
    EXPECT_EQ(agent.replacements, 0);
}

TEST_F(AgentTest, AgentDestroyedBeforeItsNodesLeavesNoWatcher) {
    const auto nodes = streets.chain(straightStreet(3));
    {
        Agent walker;
        startAtFirstNode(walker, streets, 0.5f);
        EXPECT_EQ(nodes[0]->watcherCount() + nodes[1]->watcherCount(), 2);
    }
    for (GraphNode* n : nodes)
        EXPECT_EQ(n->watcherCount(), 0);
    streets.graph.clear();  // would call into the dead agent if it were still listed
}

}  // namespace
