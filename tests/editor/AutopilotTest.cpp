#include "editor/Autopilot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Graph.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "tests/navigation/StreetsFixture.h"

namespace {

// Records the occlusion buffer's resets.
class RecordingContext : public NullRenderContext {
public:
    void resetOcclusion(int mode) override { resets.push_back(mode); }
    std::vector<int> resets;
};

Vector viewForward(const Matrix44& view) { return {view(2, 0), view(2, 1), view(2, 2)}; }

class AutopilotTest : public ::testing::Test {
protected:
    void SetUp() override {
        RandomGenerator::navigation().seed(0);
        nodes = streets.chain(straightStreet(8));
        ctx.lookAt({31, 12, 2}, {60, 12, 2});
    }
    RecordingContext ctx;
    Streets streets;
    std::vector<GraphNode*> nodes;
    Autopilot pilot;
};

TEST_F(AutopilotTest, StartsWithTheWindowsSettings) {
    EXPECT_FALSE(pilot.on());
    EXPECT_EQ(pilot.agent.configuredSpeed, 0.3f);
    EXPECT_EQ(pilot.agent.height, 30.0f);
    EXPECT_TRUE(pilot.startAtNearest);
}

TEST_F(AutopilotTest, SwitchingOnSetsDetailHalfWhateverItWas) {
    NullRenderContext reference;
    reference.setDetail(0.5f);
    for (float before : {0.05f, 0.4f, 3.0f}) {
        ctx.setDetail(before);
        ASSERT_TRUE(pilot.switchOn(ctx, &streets));
        EXPECT_TRUE(pilot.on());
        EXPECT_EQ(ctx.detail(), 0.5f);
        EXPECT_EQ(ctx.lodThreshold, reference.lodThreshold);
        pilot.switchOff(ctx);
        EXPECT_FALSE(pilot.on());
        EXPECT_EQ(ctx.detail(), 0.5f);  // switching off leaves it
    }
}

TEST_F(AutopilotTest, EverySwitchPutsTheOcclusionBufferOnTrial) {
    pilot.toggle(ctx, &streets);
    pilot.toggle(ctx, &streets);
    EXPECT_EQ(ctx.resets, (std::vector<int>{2, 2}));
}

TEST_F(AutopilotTest, StartsAtTheNodeNearestTheCameraHeadingWhereItLooks) {
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    EXPECT_EQ(pilot.agent.previousNode(), nodes[3]);
    EXPECT_EQ(pilot.agent.currentNode(), nodes[4]);
    EXPECT_EQ(pilot.agent.speed, 0.3f);

    // Off keeps its place; on again restarts from the camera.
    pilot.switchOff(ctx);
    EXPECT_EQ(pilot.agent.currentNode(), nodes[4]);
    ctx.lookAt({61, 12, -1}, {0, 12, -1});
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    EXPECT_EQ(pilot.agent.previousNode(), nodes[6]);
    EXPECT_EQ(pilot.agent.currentNode(), nodes[5]);
}

TEST_F(AutopilotTest, StaysOffWithoutStreetsOrWithoutSpeed) {
    Streets empty;
    ctx.setDetail(0.2f);
    EXPECT_FALSE(pilot.switchOn(ctx, &empty));
    EXPECT_FALSE(pilot.on());
    EXPECT_EQ(ctx.detail(), 0.2f);
    EXPECT_FALSE(pilot.switchOn(ctx, nullptr));

    // A configured speed of 0 would step with a zero vector: it never walks.
    pilot.agent.configuredSpeed = 0;
    EXPECT_FALSE(pilot.switchOn(ctx, &streets));
    const Matrix44 view = ctx.view;
    pilot.tick(ctx, &streets, false);
    EXPECT_EQ(ctx.view, view);
}

TEST_F(AutopilotTest, HighCameraLooksDownByTheTiltAboveTheAgent) {
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    pilot.tick(ctx, &streets, false);
    const Vector eye = ctx.view.inverse().translationPart();
    EXPECT_NEAR(eye.x, pilot.agent.position.x, 1e-3f);
    EXPECT_NEAR(eye.y, 30.0f, 1e-3f);
    EXPECT_NEAR(eye.z, pilot.agent.position.z, 1e-3f);
    const Vector forward = viewForward(ctx.view);
    // atan(0.004 x 30): about 6.8 degrees down, along the street.
    EXPECT_NEAR(std::asin(-forward.y), std::atan(0.12f), 1e-4f);
    EXPECT_NEAR(std::asin(-forward.y) * 57.29578f, 6.84f, 0.01f);
    EXPECT_GT(forward.x, 0.99f);
}

TEST_F(AutopilotTest, LowCameraLooksLevelAtTheLookPoint) {
    pilot.agent.height = 1.7f;
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    for (int i = 0; i < 5; ++i)
        pilot.tick(ctx, &streets, false);
    const Vector eye = ctx.view.inverse().translationPart();
    EXPECT_NEAR(eye.y, 1.7f, 1e-4f);
    const Vector forward = viewForward(ctx.view);
    EXPECT_NEAR(forward.y, 0.0f, 1e-6f);
    const Vector toLook = (pilot.agent.lookPoint + Vector(0, 1.7f, 0) - eye).normalized();
    EXPECT_NEAR(forward.dot(toLook), 1.0f, 1e-5f);
}

TEST_F(AutopilotTest, LookPointStraightBelowTheEyeStillGivesAFiniteView) {
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    pilot.agent.lookPoint = pilot.agent.position;
    for (float height : {30.0f, 1.7f}) {
        pilot.agent.height = height;
        const Matrix44 view = pilot.cameraView();
        for (float e : view.m)
            ASSERT_TRUE(std::isfinite(e));
        // It looks along the street instead.
        EXPECT_GT(viewForward(view).x, 0.99f);
    }
}

TEST_F(AutopilotTest, TickWalksTheAgentAndReplacesItWhenItsStreetGoes) {
    ASSERT_TRUE(pilot.switchOn(ctx, &streets));
    const float x = pilot.agent.position.x;
    pilot.tick(ctx, &streets, false);
    EXPECT_NEAR(pilot.agent.position.x - x, 0.6f, 1e-4f);

    // The street collapses and grows again (a new graph): the camera's agent
    // is placed again on the next tick and walks on.
    streets.graph.clear();
    EXPECT_TRUE(pilot.agent.lost());
    streets.chain(straightStreet(8));
    pilot.tick(ctx, &streets, false);
    EXPECT_TRUE(pilot.agent.placed());
    EXPECT_EQ(pilot.agent.replacements, 1);
    EXPECT_TRUE(pilot.on());
}

TEST_F(AutopilotTest, TickIsIdleWhileOff) {
    const Matrix44 view = ctx.view;
    pilot.tick(ctx, &streets, true);
    EXPECT_EQ(ctx.view, view);
    EXPECT_FALSE(pilot.agent.placed());
}

}  // namespace
