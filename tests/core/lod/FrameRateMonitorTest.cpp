#include "core/lod/FrameRateMonitor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "core/NullRenderContext.h"

namespace {
class FrameRateMonitorTest : public ::testing::Test {
protected:
    FrameRateMonitorTest() : ctx(500, 400) { ctx.setDetail(1.0f); }
    NullRenderContext ctx;
    FrameRateMonitor monitor;
};
}  // namespace

TEST_F(FrameRateMonitorTest, StartsWithTheWindowsValues) {
    EXPECT_FLOAT_EQ(monitor.target, 10.0f);
    EXPECT_FLOAT_EQ(monitor.smoothed, 5.0f);
    EXPECT_EQ(monitor.memoryLimit, 65536u);
    EXPECT_EQ(monitor.hold, 0);
}

// One update from the starting detail 1.
struct OneUpdate {
    const char* what;
    float target, smoothed;  // before the update
    int triangles;           // of the frame
    float fps;
    uint32_t memoryKb;
    float detail;    // after the update
    int hold;        // after the update; -1: not checked
    float averaged;  // the smoothed rate after the update; NaN: not checked
};

TEST_F(FrameRateMonitorTest, OneUpdateMovesTheDetailByItsBand) {
    const float unchecked = std::numeric_limits<float>::quiet_NaN();
    const OneUpdate cases[] = {
        {"just above the target: 1 % down, held 10 frames", 10, 11, 0, 11, 0, 0.99f, 10, unchecked},
        {"below the target: 10 % down", 10, 5, 0, 5, 0, 0.9f, -1, unchecked},
        {"fast but small frames: nothing", 10, 13, 4999, 13, 0, 1.0f, -1, unchecked},
        {"exactly the upper band edge: nothing", 10, 12, 10000, 12, 0, 1.0f, 0, unchecked},
        {"rate not measured (fps <= 0.1): nothing", 10, 5, 10000, 0.05f, 0, 1.0f, -1, unchecked},
        {"target below one: adaptation off, the average still moves", 0.5f, 5, 0, 2, 0, 1.0f, -1, 3.5f},
        {"memory above the limit: 10 % down, the average kept", 10, 5, 0, 100, 70000, 0.9f, -1, 5.0f},
    };
    for (const OneUpdate& c : cases) {
        SCOPED_TRACE(c.what);
        FrameRateMonitor m;
        m.target = c.target;
        m.smoothed = c.smoothed;
        ctx.setDetail(1.0f);
        ctx.trianglesDrawn = c.triangles;
        m.update(ctx, c.fps, c.memoryKb);
        EXPECT_FLOAT_EQ(ctx.detail(), c.detail);
        if (c.hold >= 0) {
            EXPECT_EQ(m.hold, c.hold);
        }
        if (!std::isnan(c.averaged)) {
            EXPECT_FLOAT_EQ(m.smoothed, c.averaged);
        }
    }
}

TEST_F(FrameRateMonitorTest, RaisesOnlyAfterTenHeldFrames) {
    ctx.trianglesDrawn = 10000;
    monitor.hold = 10;
    monitor.smoothed = 30.0f;
    for (int i = 0; i < 10; ++i) {
        monitor.update(ctx, 30.0f, 0);
        EXPECT_FLOAT_EQ(ctx.detail(), 1.0f) << i;
    }
    monitor.update(ctx, 30.0f, 0);
    // (30 / 12 - 1) * 0.02 + 1 = 1.03
    EXPECT_NEAR(ctx.detail(), 1.03f, 1e-5f);
}

TEST_F(FrameRateMonitorTest, DetailStaysInsideItsBounds) {
    ctx.setDetail(0.055f);
    monitor.update(ctx, 1.0f, 0);  // 0.0495 would leave the range
    EXPECT_FLOAT_EQ(ctx.detail(), 0.055f);
    ctx.setDetail(2.9f);
    ctx.trianglesDrawn = 10000;
    monitor.smoothed = 1000.0f;
    monitor.update(ctx, 1000.0f, 0);  // 2.9 * 1.05 > 3
    EXPECT_FLOAT_EQ(ctx.detail(), 2.9f);
}

TEST_F(FrameRateMonitorTest, SmoothingHalvesTheDistanceToEachRate) {
    monitor.target = 0.0f;  // adaptation off: only the average moves
    for (float fps : {9.0f, 9.0f, 1.0f})
        monitor.update(ctx, fps, 0);
    // 5 -> 7 -> 8 -> 4.5
    EXPECT_FLOAT_EQ(monitor.smoothed, 4.5f);
    EXPECT_FLOAT_EQ(ctx.detail(), 1.0f);
}

TEST_F(FrameRateMonitorTest, RatesThatAreNotNumbersLeaveTheAverageUsable) {
    ctx.trianglesDrawn = 10000;
    monitor.update(ctx, std::numeric_limits<float>::infinity(), 0);
    monitor.update(ctx, std::numeric_limits<float>::quiet_NaN(), 0);
    EXPECT_FLOAT_EQ(monitor.smoothed, 5.0f);
    EXPECT_FLOAT_EQ(ctx.detail(), 1.0f);
    monitor.update(ctx, 5.0f, 0);  // still adapts afterwards
    EXPECT_FLOAT_EQ(ctx.detail(), 0.9f);
}

// Whatever rates and frame sizes come, the detail stays finite and strictly
// inside its bounds, and a raise never exceeds 5 %.
TEST_F(FrameRateMonitorTest, LongRandomRunKeepsTheDetailInsideItsBounds) {
    std::mt19937 random(19);
    std::uniform_real_distribution<float> rate(0.0f, 200.0f);
    std::uniform_int_distribution<int> triangles(0, 20000);
    int raises = 0, lowerings = 0;
    for (int i = 0; i < 20000; ++i) {
        ctx.trianglesDrawn = triangles(random);
        const float before = ctx.detail();
        monitor.update(ctx, i % 1000 < 500 ? rate(random) : rate(random) * 0.05f, 0);
        const float after = ctx.detail();
        ASSERT_TRUE(std::isfinite(after));
        ASSERT_GT(after, 0.05f);
        ASSERT_LT(after, 3.0f);
        ASSERT_LE(after, before * 1.05f * (1 + 1e-6f));
        raises += after > before;
        lowerings += after < before;
    }
    EXPECT_GT(raises, 0);
    EXPECT_GT(lowerings, 0);
}
