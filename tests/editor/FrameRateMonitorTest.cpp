#include "editor/FrameRateMonitor.h"

#include <gtest/gtest.h>

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

TEST_F(FrameRateMonitorTest, JustAboveTargetLowersByOnePercent) {
    monitor.smoothed = 11.0f;
    monitor.update(ctx, 11.0f, 0);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.99f);
    EXPECT_EQ(monitor.hold, 10);
}

TEST_F(FrameRateMonitorTest, BelowTargetLowersByTenPercent) {
    monitor.update(ctx, 5.0f, 0);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.9f);
}

TEST_F(FrameRateMonitorTest, FastSmallFramesChangeNothing) {
    monitor.smoothed = 13.0f;
    ctx.trianglesDrawn = 4999;
    monitor.update(ctx, 13.0f, 0);
    EXPECT_FLOAT_EQ(ctx.detail(), 1.0f);
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

TEST_F(FrameRateMonitorTest, TargetBelowOneSwitchesAdaptationOff) {
    monitor.target = 0.5f;
    monitor.update(ctx, 2.0f, 0);
    EXPECT_FLOAT_EQ(ctx.detail(), 1.0f);
    EXPECT_FLOAT_EQ(monitor.smoothed, 3.5f);
}

TEST_F(FrameRateMonitorTest, MemoryAboveTheLimitLowersTheDetail) {
    monitor.update(ctx, 100.0f, 70000);
    EXPECT_FLOAT_EQ(ctx.detail(), 0.9f);
    EXPECT_FLOAT_EQ(monitor.smoothed, 5.0f);
}
