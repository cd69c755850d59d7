#include "editor/CameraControl.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Drawable.h"
#include "core/NullRenderContext.h"

namespace {

// A wall across the z axis at z = wallZ: any segment crossing it collides.
// Its depth is the view-space depth of `centre`, or none.
class Wall : public Drawable {
public:
    explicit Wall(float z) : Drawable(0, nullptr), wallZ(z) {}
    void draw(RenderContext&) override {}
    bool collides(const Vector& from, const Vector& to) const override {
        ++tests;
        return (from.z - wallZ) * (to.z - wallZ) <= 0;
    }
    void computeDepth(const Matrix44& modelView) override { depth = hasDepth ? modelView.depthOf(centre) : -1e30f; }

    float wallZ;
    Vector centre{0, 0, 100};
    bool hasDepth = true;
    mutable int tests = 0;
};

void expectNear(const Vector& a, const Vector& b, float tolerance = 1e-3f) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

Vector forwardOf(const Matrix44& view) { return {view.m[8], view.m[9], view.m[10]}; }

class CameraControlTest : public ::testing::Test {
protected:
    CameraControlTest() : ctx(500, 400), control(ctx) {
        // Camera at the origin looking along +z.
        ctx.setView(Matrix44::identity());
    }
    NullRenderContext ctx;
    CameraControl control;
    KeyboardInput keyboard;
};

}  // namespace

TEST_F(CameraControlTest, InitialCameraLooksFromTheHillTowardsTheTown) {
    control.installInitialCamera();
    expectNear(ctx.cameraPosition, {1969, 29, 1417}, 0.01f);
    const Vector expected = (Vector(168, -1953, -8217) - Vector(1969, 29, 1417)).normalized();
    expectNear(forwardOf(ctx.view), expected, 1e-5f);
    EXPECT_FLOAT_EQ(control.farDistance(), 10001.0f);
    EXPECT_NEAR(ctx.projection.m[0], 1.0f / std::tan(0.39269909f), 1e-5f);
    EXPECT_NEAR(ctx.projection.m[5], ctx.projection.m[0] * 500.0f / 400.0f, 1e-5f);
    EXPECT_NEAR(ctx.projection.m[10], 1.0001f, 1e-6f);
    EXPECT_NEAR(ctx.projection.m[11], -1.0001f, 1e-6f);
    EXPECT_FLOAT_EQ(ctx.projection.m[14], 1.0f);
    EXPECT_FLOAT_EQ(ctx.projection.m[15], 0.0f);
}

TEST_F(CameraControlTest, RotationPutsSinesWhereTheAxisSays) {
    const float a = 0.3f;
    const Matrix44 r = CameraControl::rotation(1, a);  // i = 2, j = 0
    EXPECT_FLOAT_EQ(r(2, 2), std::cos(a));
    EXPECT_FLOAT_EQ(r(0, 0), std::cos(a));
    EXPECT_FLOAT_EQ(r(2, 0), std::sin(a));
    EXPECT_FLOAT_EQ(r(0, 2), -std::sin(a));
    EXPECT_FLOAT_EQ(r(1, 1), 1.0f);
    EXPECT_FLOAT_EQ(r(3, 3), 1.0f);
    EXPECT_FLOAT_EQ(r(1, 0), 0.0f);
    const Matrix44 rx = CameraControl::rotation(0, a);  // i = 1, j = 2
    EXPECT_FLOAT_EQ(rx(1, 2), std::sin(a));
    EXPECT_FLOAT_EQ(rx(2, 1), -std::sin(a));
    EXPECT_FLOAT_EQ(rx(0, 0), 1.0f);
}

TEST_F(CameraControlTest, MovesFollowTheViewAxesByTheStep) {
    keyboard.step = 2.5f;
    control.apply(1, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, 2.5f});
    control.apply(2, keyboard);
    control.apply(2, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, -2.5f});
    control.apply(13, keyboard);
    expectNear(ctx.cameraPosition, {2.5f, 0, -2.5f});
    control.apply(14, keyboard);
    control.apply(15, keyboard);
    expectNear(ctx.cameraPosition, {0, 2.5f, -2.5f});
    control.apply(16, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, -2.5f});
    EXPECT_EQ(ctx.viewChanged, 1);
    control.apply(0, keyboard);
    EXPECT_EQ(ctx.viewChanged, 0);
}

TEST_F(CameraControlTest, TurnsPreMultiplyOneDegreeRotations) {
    const float deg = CameraControl::kDegree;
    struct Case {
        KeyCode code;
        int axis;
        float angle;
    };
    const Case cases[] = {{3, 1, deg}, {4, 1, -deg}, {5, 0, deg}, {6, 0, -deg}, {7, 2, deg}, {8, 2, -deg}};
    for (const Case& c : cases) {
        const Matrix44 start = makeView({3, 4, 5}, {10, 2, 40});
        ctx.setView(start);
        control.apply(c.code, keyboard);
        const Matrix44 expected = CameraControl::rotation(c.axis, c.angle) * start;
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(ctx.view.m[k], expected.m[k], 1e-5f) << "code " << c.code << " element " << k;
    }
    // Right turns the gaze to the right (+x in view space of a camera looking along +z).
    ctx.setView(Matrix44::identity());
    control.apply(3, keyboard);
    EXPECT_GT(ctx.view.inverse().m[2], 0.0f);
}

TEST_F(CameraControlTest, DetailDoublesAndHalves) {
    ctx.setDetail(0.4f);
    auto out = control.apply(9, keyboard);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.8f);
    EXPECT_EQ(out.status, "Detail: x0.80");
    out = control.apply(10, keyboard);
    out = control.apply(10, keyboard);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.2f);
    EXPECT_EQ(out.status, "Detail: x0.20");
    // The threshold follows the detail.
    EXPECT_NEAR(ctx.lodThreshold, 40.0f / (0.2f * 500.0f * ctx.projection.m[0]), 1e-6f);
}

TEST_F(CameraControlTest, FarDistanceDoublesFrom10001To20002) {
    control.installInitialCamera();
    auto out = control.apply(11, keyboard);
    EXPECT_EQ(out.status, "Depth of field: 20002.00 metres");
    EXPECT_FLOAT_EQ(control.farDistance(), 20002.0f);
    // The installed projection carries it (within single precision near P10 = 1).
    EXPECT_NEAR(ctx.farDistance(), 20002.0f, 20002.0f * 0.01f);
    EXPECT_NEAR(ctx.nearDistance(), 1.0f, 1e-3f);
    out = control.apply(12, keyboard);
    out = control.apply(12, keyboard);
    EXPECT_EQ(out.status, "Depth of field: 5000.50 metres");
}

TEST_F(CameraControlTest, FarDistanceNeverFallsToTheNearPlane) {
    control.installInitialCamera();
    for (int i = 0; i < 40; ++i)
        control.apply(12, keyboard);
    EXPECT_GT(control.farDistance(), CameraControl::kNearDistance);
    EXPECT_TRUE(std::isfinite(ctx.projection.m[10]));
    EXPECT_FALSE(control.setFarDistance(1.0f));
}

TEST_F(CameraControlTest, StepDoublesAndHalves) {
    auto out = control.apply(17, keyboard);
    EXPECT_FLOAT_EQ(keyboard.step, 2.0f);
    EXPECT_EQ(out.status, "Speed: 2.00 metres/step");
    out = control.apply(18, keyboard);
    out = control.apply(18, keyboard);
    EXPECT_FLOAT_EQ(keyboard.step, 0.5f);
    EXPECT_EQ(out.status, "Speed: 0.50 metres/step");
}

TEST_F(CameraControlTest, ScreenshotKeyAsksTheWindowAndMovesNothing) {
    const Matrix44 before = ctx.view;
    auto out = control.apply(23, keyboard);
    EXPECT_TRUE(out.screenshot);
    EXPECT_TRUE(out.status.empty());
    EXPECT_EQ(ctx.view, before);
    EXPECT_FALSE(control.apply(1, keyboard).screenshot);
}

TEST_F(CameraControlTest, CollideRefusesAMoveWhoseDoubleSegmentIsBlocked) {
    Wall wall(1.5f);  // 1 m ahead is free, 2 m ahead is behind the wall
    control.world = &wall;
    control.collisions = true;
    control.apply(1, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, 0});
    EXPECT_EQ(wall.tests, 1);
    // Without the switch the same move goes through.
    control.collisions = false;
    control.apply(1, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, 1});
    EXPECT_EQ(wall.tests, 1);
}

TEST_F(CameraControlTest, CollideLetsAMoveThroughWhenTheDoubleSegmentIsFree) {
    Wall wall(2.5f);
    control.world = &wall;
    control.collisions = true;
    control.apply(1, keyboard);
    expectNear(ctx.cameraPosition, {0, 0, 1});
    // Sideways and vertical moves are tested along their own axis.
    Wall side(100.0f);
    control.world = &side;
    control.apply(13, keyboard);
    expectNear(ctx.cameraPosition, {1, 0, 1});
    EXPECT_EQ(side.tests, 1);
}

TEST_F(CameraControlTest, OrbitCirclesThePointAheadAtTheWorldsDepth) {
    Wall world(1e6f);
    world.centre = {0, 0, 100};
    control.world = &world;
    ASSERT_TRUE(control.orbit(1, 90.0f));
    // The point straight ahead at depth 100 is still straight ahead at 100.
    const Vector ahead = ctx.view.transformPoint({0, 0, 100});
    expectNear(ahead, {0, 0, 100}, 1e-2f);
    EXPECT_NEAR((ctx.cameraPosition - Vector(0, 0, 100)).length(), 100.0f, 1e-2f);
    EXPECT_NEAR(std::fabs(ctx.cameraPosition.x), 100.0f, 1e-2f);
}

TEST_F(CameraControlTest, OrbitKeysTurnByOneDegreeInTheirDirection) {
    Wall world(1e6f);
    world.centre = {0, 0, 50};
    control.world = &world;
    control.apply(19, keyboard);  // Shift + Right: -1 degree about y
    const Vector right = ctx.cameraPosition;
    ctx.setView(Matrix44::identity());
    control.apply(20, keyboard);  // Shift + Left: +1 degree
    const Vector left = ctx.cameraPosition;
    EXPECT_NEAR(right.x, -left.x, 1e-4f);
    EXPECT_GT(std::fabs(right.x), 0.5f);
    ctx.setView(Matrix44::identity());
    control.apply(21, keyboard);  // Shift + Up: about x
    EXPECT_GT(std::fabs(ctx.cameraPosition.y), 0.5f);
    EXPECT_NEAR(ctx.cameraPosition.x, 0.0f, 1e-4f);
}

TEST_F(CameraControlTest, OrbitKeysCircleTheCentreWithTheirOwnSign) {
    Wall world(1e6f);
    world.centre = {20, -5, 300};
    control.world = &world;
    const float deg = CameraControl::kDegree;
    struct Case {
        KeyCode code;
        int axis;
        float angle;
    };
    // Right and Up turn by -1 degree, Left and Down by +1.
    const Case cases[] = {{19, 1, -deg}, {20, 1, deg}, {21, 0, -deg}, {22, 0, deg}};
    for (const Case& c : cases) {
        const Matrix44 start = makeView({3, 4, 5}, {10, 2, 40});
        ctx.setView(start);
        const float d = start.depthOf(world.centre);
        control.apply(c.code, keyboard);
        const Matrix44 expected = Matrix44::translation(0, 0, d) * CameraControl::rotation(c.axis, c.angle) *
                                  Matrix44::translation(0, 0, -d) * start;
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(ctx.view.m[k], expected.m[k], 1e-3f) << "code " << c.code << " element " << k;
    }
}

TEST_F(CameraControlTest, OrbitWithoutDepthLeavesTheView) {
    Wall world(1e6f);
    world.hasDepth = false;
    control.world = &world;
    const Matrix44 before = ctx.view;
    EXPECT_FALSE(control.orbit(1, 1.0f));
    EXPECT_EQ(ctx.view, before);
    control.world = nullptr;
    EXPECT_FALSE(control.orbit(1, 1.0f));
    control.apply(19, keyboard);
    EXPECT_EQ(ctx.view, before);
}

TEST_F(CameraControlTest, ResizeKeepsTheFarDistanceAndFollowsTheAspect) {
    control.installInitialCamera();
    control.apply(11, keyboard);
    control.resize(800, 400);
    EXPECT_EQ(ctx.viewportWidth, 800);
    EXPECT_NEAR(ctx.projection.m[5], ctx.projection.m[0] * 2.0f, 1e-5f);
    EXPECT_FLOAT_EQ(control.farDistance(), 20002.0f);
}

// Keys held for a long time: every value stays finite and within its bounds,
// the status names the value it stays at, and the opposite key brings it back.
TEST_F(CameraControlTest, HeldSettingKeysStayWithinTheirBounds) {
    control.installInitialCamera();
    const auto hold = [&](KeyCode code, int frames) {
        CameraControl::Outcome out;
        for (int i = 0; i < frames; ++i)
            out = control.apply(code, keyboard);
        return out;
    };
    // Far distance.
    CameraControl::Outcome out = hold(11, 500);
    EXPECT_EQ(control.farDistance(), CameraControl::kMaxFarDistance);
    EXPECT_EQ(out.status, "Depth of field: 1000000.00 metres");
    EXPECT_TRUE(std::isfinite(ctx.projection.m[10]));
    EXPECT_LT(ctx.projection.m[10], ctx.projection.m[10] + 1.0f);
    EXPECT_NEAR(ctx.farDistance(), CameraControl::kMaxFarDistance, CameraControl::kMaxFarDistance * 0.2f);
    out = hold(12, 500);
    EXPECT_EQ(control.farDistance(), CameraControl::kMinFarDistance);
    EXPECT_EQ(out.status, "Depth of field: 2.00 metres");
    hold(11, 13);
    EXPECT_EQ(control.farDistance(), 16384.0f);

    // Step, then a move with the largest step: the view stays finite.
    out = hold(17, 500);
    EXPECT_EQ(keyboard.step, CameraControl::kMaxStep);
    EXPECT_EQ(out.status, "Speed: 1000.00 metres/step");
    hold(1, 500);
    for (float e : ctx.view.m)
        EXPECT_TRUE(std::isfinite(e));
    out = hold(18, 500);
    EXPECT_EQ(keyboard.step, CameraControl::kMinStep);
    EXPECT_EQ(out.status, "Speed: 0.01 metres/step");

    // Detail, and with it a finite, positive threshold.
    out = hold(9, 500);
    EXPECT_EQ(ctx.detail(), RenderContext::kMaxDetail);
    EXPECT_EQ(out.status, "Detail: x3.00");
    const float fine = ctx.lodThreshold;
    out = hold(10, 500);
    EXPECT_EQ(ctx.detail(), RenderContext::kMinDetail);
    EXPECT_EQ(out.status, "Detail: x0.05");
    EXPECT_TRUE(std::isfinite(ctx.lodThreshold));
    EXPECT_GT(ctx.lodThreshold, fine);
    hold(9, 3);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.4f);
}

TEST_F(CameraControlTest, UnusableValuesAreRefusedOrClamped) {
    EXPECT_FALSE(control.setFarDistance(std::nanf("")));
    EXPECT_FALSE(control.setFarDistance(INFINITY));
    EXPECT_FALSE(control.setFarDistance(0.5f));
    EXPECT_TRUE(control.setFarDistance(1e30f));
    EXPECT_EQ(control.farDistance(), CameraControl::kMaxFarDistance);
    EXPECT_EQ(CameraControl::boundedStep(std::nanf(""), 3.0f), 3.0f);
    EXPECT_EQ(CameraControl::boundedStep(-1.0f, 3.0f), 3.0f);
    EXPECT_EQ(CameraControl::boundedStep(1e30f, 3.0f), CameraControl::kMaxStep);
    EXPECT_EQ(CameraControl::boundedStep(2.5f, 3.0f), 2.5f);
    ctx.setDetail(0.8f);
    ctx.setDetail(std::nanf(""));
    EXPECT_EQ(ctx.detail(), 0.8f);
    ctx.setDetail(-INFINITY);
    EXPECT_EQ(ctx.detail(), RenderContext::kMinDetail);
}
