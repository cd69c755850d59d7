#include "core/lod/OcclusionBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/NullRenderContext.h"

namespace {

struct P3 {
    float x, y, z;
};

// A flat mesh handed to the buffer as the renderer hands its meshes.
struct Occluder {
    std::vector<P3> points;
    std::vector<uint16_t> indices;

    void add(OcclusionBuffer& buffer, const Matrix44& projection, const Matrix44& modelView = Matrix44()) const {
        buffer.addOccluder(&points[0].x, sizeof(P3), static_cast<int>(points.size()), indices.data(),
                           static_cast<int>(indices.size() / 3), projection, modelView);
    }
};

// The rectangle [x0, x1] x [y0, y1] facing the camera at view depth z.
Occluder wall(float x0, float y0, float x1, float y1, float z) {
    return {{{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}, {0, 1, 2, 0, 2, 3}};
}

// w = z and x, y unscaled: at depth 2 a view point (x, y) lands on the
// finest grid at (8x + 16, 8y + 16), so grid positions are easy to place.
Matrix44 plainProjection() {
    Matrix44 p;
    p.m[14] = 1;
    p.m[15] = 0;
    return p;
}
P3 atGrid(float gx, float gy) { return {(gx - 16) / 8, (gy - 16) / 8, 2}; }

class OcclusionBufferTest : public ::testing::Test {
protected:
    OcclusionBufferTest() { buffer.beginFrame(true); }
    bool hidden(float x, float y, float z, float r) {
        const float sphere[4] = {x, y, z, r};
        return buffer.isOccluded(sphere, projection);
    }
    // The window's projection: 500 x 400, near 1, far 1000.
    Matrix44 projection = makeProjection(500, 400, 1, 1000);
    OcclusionBuffer buffer;
};

// Every coarser cell holds the farthest of its four children.
void expectPyramid(const OcclusionBuffer& b) {
    for (int k = 0; k < OcclusionBuffer::kFinestLevel; ++k)
        for (int y = 0; y < (1 << k); ++y)
            for (int x = 0; x < (1 << k); ++x)
                ASSERT_EQ(b.cellDepth(k, x, y),
                          std::max({b.cellDepth(k + 1, 2 * x, 2 * y), b.cellDepth(k + 1, 2 * x + 1, 2 * y),
                                    b.cellDepth(k + 1, 2 * x, 2 * y + 1), b.cellDepth(k + 1, 2 * x + 1, 2 * y + 1)}))
                    << "level " << k << " cell " << x << "," << y;
}

}  // namespace

TEST_F(OcclusionBufferTest, WallHidesWhatIsBehindItOnly) {
    wall(-50, -50, 50, 50, 10).add(buffer, projection);
    // Its two triangles meet along the diagonal through the middle of the
    // screen: the cells there are covered too.
    for (int i = 0; i < 32; ++i)
        ASSERT_FLOAT_EQ(buffer.cellDepth(5, i, i), 10.0f) << i;
    EXPECT_TRUE(hidden(0, 0, 100, 5));
    EXPECT_TRUE(hidden(3, -2, 40, 1));
    EXPECT_FALSE(hidden(0, 0, 12, 5)) << "its nearest point is in front of the wall";
    EXPECT_FALSE(hidden(0, 0, 5, 1));
    EXPECT_EQ(buffer.tests, 4);
    EXPECT_EQ(buffer.hits, 2);
    EXPECT_GE(buffer.coarseHits, 1) << "a large sphere is decided above the finest level";
}

TEST_F(OcclusionBufferTest, SphereHoldingTheCameraIsNeverHidden) {
    wall(-50, -50, 50, 50, 2).add(buffer, projection);
    EXPECT_FALSE(hidden(0, 0, 100, 100));
    EXPECT_FALSE(hidden(0, 0, 100, 150));
    EXPECT_FALSE(hidden(0, 0, -100, 1)) << "behind the camera";
    EXPECT_EQ(buffer.tests, 0);
    EXPECT_TRUE(hidden(0, 0, 100, 90));
}

TEST_F(OcclusionBufferTest, SphereStickingOutOfItsWallIsVisible) {
    // The wall covers the left half of the screen.
    wall(-50, -50, 0, 50, 10).add(buffer, projection);
    // Radius 10 at depth 100 spans 0.24 normalised units to each side: a
    // centre at -0.15 reaches past the wall's edge at 0.
    const float p0 = projection.m[0];
    EXPECT_FALSE(hidden(-0.15f * 100 / p0, 0, 100, 10));
    EXPECT_TRUE(hidden(-0.5f * 100 / p0, 0, 100, 10));
    EXPECT_FALSE(hidden(0.5f * 100 / p0, 0, 100, 10));
}

TEST_F(OcclusionBufferTest, OccluderOfThirtyThreeVerticesAddsNothing) {
    Occluder big = wall(-50, -50, 50, 50, 10);
    while (big.points.size() < 32)
        big.points.push_back({0, 0, 10});  // unused points, as a tessellation may leave
    big.add(buffer, projection);
    EXPECT_TRUE(hidden(0, 0, 100, 5)) << "32 vertices still count";

    OcclusionBuffer fresh;
    fresh.beginFrame(true);
    big.points.push_back({0, 0, 10});
    fresh.addOccluder(&big.points[0].x, sizeof(P3), 33, big.indices.data(), 2, projection, Matrix44());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(fresh.cellDepth(5, x, y), OcclusionBuffer::kEmpty);
}

TEST_F(OcclusionBufferTest, OccluderBehindOrTooNearTheCameraAddsNothing) {
    Occluder behind = wall(-50, -50, 50, 50, 10);
    behind.points[2].z = -5;
    behind.add(buffer, projection);
    Occluder near = wall(-50, -50, 50, 50, 0.5f);
    near.add(buffer, projection);
    EXPECT_EQ(buffer.cellDepth(0, 0, 0), OcclusionBuffer::kEmpty);
    EXPECT_FALSE(hidden(0, 0, 100, 5));
}

TEST_F(OcclusionBufferTest, OccluderTooSmallOnScreenAddsNothing) {
    // Two cells wide on the finest grid at most.
    const Occluder small = {{atGrid(10.2f, 10.2f), atGrid(11.9f, 10.2f), atGrid(11.9f, 20), atGrid(10.2f, 20)},
                            {0, 1, 2, 0, 2, 3}};
    small.add(buffer, plainProjection());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(buffer.cellDepth(5, x, y), OcclusionBuffer::kEmpty);
}

// A cell is filled exactly when its four corners lie inside the triangle.
TEST_F(OcclusionBufferTest, RasteriserFillsTheCellsWhoseCornersAreInside) {
    const P3 a = atGrid(2.5f, 3.2f), b = atGrid(27.3f, 9.6f), c = atGrid(11.1f, 29.4f);
    for (const auto& order : {std::vector<uint16_t>{0, 1, 2}, std::vector<uint16_t>{0, 2, 1}}) {
        OcclusionBuffer fresh;
        fresh.beginFrame(true);
        const Occluder tri = {{a, b, c}, order};
        tri.add(fresh, plainProjection());
        auto inside = [](float x, float y) {
            const float g[3][2] = {{2.5f, 3.2f}, {27.3f, 9.6f}, {11.1f, 29.4f}};
            bool positive = true, negative = true;
            for (int i = 0; i < 3; ++i) {
                const float* p = g[i];
                const float* q = g[(i + 1) % 3];
                const float cross = (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0]);
                positive = positive && cross >= 0;
                negative = negative && cross <= 0;
            }
            return positive || negative;
        };
        int filled = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool corners = inside(x, y) && inside(x + 1, y) && inside(x, y + 1) && inside(x + 1, y + 1);
                const float depth = fresh.cellDepth(5, x, y);
                ASSERT_EQ(depth != OcclusionBuffer::kEmpty, corners) << x << "," << y;
                if (corners) {
                    ASSERT_FLOAT_EQ(depth, 2.0f);
                    ++filled;
                }
            }
        EXPECT_GT(filled, 150);
        expectPyramid(fresh);
    }
}

// A slanted surface: each cell holds the farthest depth of its corners. The
// depth is interpolated linearly across the screen, which never puts a
// receding surface nearer than it is.
TEST_F(OcclusionBufferTest, CellsTakeTheFarthestDepthOverThem) {
    Occluder slope;
    for (const auto& [gx, gy] : {std::pair{4.0f, 4.0f}, {28.0f, 4.0f}, {28.0f, 28.0f}, {4.0f, 28.0f}}) {
        const float z = 2 + gx;  // deeper to the right
        const P3 g = atGrid(gx, gy);
        slope.points.push_back({g.x * z / 2, g.y * z / 2, z});
    }
    slope.indices = {0, 1, 2, 0, 2, 3};
    slope.add(buffer, plainProjection());
    for (int x = 4; x < 28; ++x) {
        // The cell's right edge is its farthest.
        EXPECT_NEAR(buffer.cellDepth(5, x, 10), 2.0f + static_cast<float>(x + 1), 1e-4f) << x;
    }
}

TEST_F(OcclusionBufferTest, PyramidKeepsTheFarthestDepthOverRandomOccluders) {
    std::mt19937 random(6);
    std::uniform_real_distribution<float> grid(-4, 36), depth(2, 50);
    for (int n = 0; n < 200; ++n) {
        Occluder tri;
        const float z = depth(random);
        for (int i = 0; i < 3; ++i) {
            const P3 g = atGrid(grid(random), grid(random));
            tri.points.push_back({g.x * z / 2, g.y * z / 2, z});
        }
        tri.indices = {0, 1, 2};
        tri.add(buffer, plainProjection());
    }
    expectPyramid(buffer);
    int filled = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (buffer.cellDepth(5, x, y) != OcclusionBuffer::kEmpty) {
                ++filled;
                ASSERT_GE(buffer.cellDepth(5, x, y), 2.0f);
                ASSERT_LE(buffer.cellDepth(5, x, y), 50.0f);
            }
    EXPECT_GT(filled, 500);
}

TEST_F(OcclusionBufferTest, NewFrameClearsOnlyWhileActiveAndEnabled) {
    wall(-50, -50, 50, 50, 10).add(buffer, projection);
    buffer.beginFrame(false);
    EXPECT_FLOAT_EQ(buffer.cellDepth(0, 0, 0), 10.0f);
    buffer.beginFrame(true);
    EXPECT_EQ(buffer.cellDepth(0, 0, 0), OcclusionBuffer::kEmpty);
}

// Mode logic: the figures of each frame are set as the queries would leave them.
namespace {
void frameWith(OcclusionBuffer& b, int tests, int hits, int coarseHits = 0) {
    b.beginFrame(true);
    b.tests = tests;
    b.hits = hits;
    b.coarseHits = coarseHits;
    b.endFrame();
}
}  // namespace

TEST_F(OcclusionBufferTest, TrialTurnsOnAfterFourGoodFrames) {
    for (int i = 0; i < 3; ++i) {
        frameWith(buffer, 10, 5);
        EXPECT_EQ(buffer.mode, OcclusionBuffer::kTrial) << i;
    }
    frameWith(buffer, 10, 0, 11);  // many coarse hits also pay
    EXPECT_EQ(buffer.mode, OcclusionBuffer::kOn);
    EXPECT_EQ(buffer.active, 1);
    EXPECT_EQ(buffer.counter, 0);
}

TEST_F(OcclusionBufferTest, TrialTurnsOffAtTheFirstPoorFrame) {
    frameWith(buffer, 10, 5);
    frameWith(buffer, 10, 1, 10);  // exactly 10 % and 10 coarse hits are poor
    EXPECT_EQ(buffer.mode, OcclusionBuffer::kOff);
    EXPECT_EQ(buffer.active, 0);
}

TEST_F(OcclusionBufferTest, FrameWithoutQueriesIsPoor) {
    frameWith(buffer, 0, 0);
    EXPECT_EQ(buffer.mode, OcclusionBuffer::kOff);
}

TEST_F(OcclusionBufferTest, OnTurnsOffAfterElevenPoorFramesInARow) {
    buffer.reset(OcclusionBuffer::kOn);
    for (int i = 0; i < 10; ++i)
        frameWith(buffer, 10, 0);
    frameWith(buffer, 10, 2);  // a good frame starts the count again
    for (int i = 0; i < 10; ++i) {
        frameWith(buffer, 10, 0);
        EXPECT_EQ(buffer.mode, OcclusionBuffer::kOn) << i;
    }
    frameWith(buffer, 10, 0);
    EXPECT_EQ(buffer.mode, OcclusionBuffer::kOff);
    EXPECT_EQ(buffer.active, 0);
}

TEST_F(OcclusionBufferTest, OffIsTriedAgainAfterFiftyOneFrames) {
    buffer.reset(OcclusionBuffer::kOff);
    EXPECT_EQ(buffer.active, 0);
    for (int i = 0; i < 50; ++i) {
        frameWith(buffer, 10, 10);
        EXPECT_EQ(buffer.mode, OcclusionBuffer::kOff) << i;
    }
    frameWith(buffer, 0, 0);
    EXPECT_EQ(buffer.mode, OcclusionBuffer::kTrial);
    EXPECT_EQ(buffer.active, 1);
    EXPECT_EQ(buffer.counter, 0);
}

// Through the render context: the frame calls drive the buffer, and a
// disabled switch leaves its mode alone.
TEST(OcclusionThroughContext, FramesDriveTheModeWhileEnabled) {
    NullRenderContext ctx;
    ctx.beginFrame();
    ctx.endFrame();  // no queries: poor
    EXPECT_EQ(ctx.occlusion().mode, OcclusionBuffer::kOff);
    ctx.occlusionEnabled = 0;
    for (int i = 0; i < 60; ++i) {
        ctx.beginFrame();
        ctx.endFrame();
    }
    EXPECT_EQ(ctx.occlusion().mode, OcclusionBuffer::kOff);
    ctx.occlusionEnabled = 1;
    for (int i = 0; i < 51; ++i) {
        ctx.beginFrame();
        ctx.endFrame();
    }
    EXPECT_EQ(ctx.occlusion().mode, OcclusionBuffer::kTrial);
}
