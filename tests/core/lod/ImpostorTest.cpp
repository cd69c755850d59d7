// Impostor rules on the CPU: the screen rectangle, the capture window, the
// texture projection, and the traversal's use of impostors through the null
// render context.
#include "core/lod/Impostor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "core/GrowthBudget.h"
#include "core/Material.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"

namespace {

Poly square(float x0, float y0, float side) {
    return Poly({{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}});
}

// A 100 m square block cut into four plots that draw their own prisms.
class Block : public DescPoly {
public:
    Block(float x0, float z0, uint32_t seed, bool split = true) : DescPoly(square(x0, z0, 100), 20, seed, nullptr), split_(split) {}
    void generate() override {
        if (!split_)
            return;
        auto& g = RandomGenerator::generation();
        for (int i = 0; i < 4; ++i) {
            const float x = poly[0].x + 50 * static_cast<float>(i % 2), z = poly[0].y + 50 * static_cast<float>(i / 2);
            addChild(std::make_unique<Block>(x, z, static_cast<uint32_t>(g.next()), false))->size = 0;
        }
    }

private:
    bool split_;
};

// A square cut into four, down to `levels`, with four prisms at the last level.
class Nest : public DescPoly {
public:
    Nest(float x0, float z0, float side, uint32_t seed, int levels)
        : DescPoly(square(x0, z0, side), 20, seed, nullptr), levels_(levels) {}
    void generate() override {
        auto& g = RandomGenerator::generation();
        const float half = (poly[1].x - poly[0].x) / 2;
        for (int i = 0; i < 4; ++i) {
            const float x = poly[0].x + half * static_cast<float>(i % 2), z = poly[0].y + half * static_cast<float>(i / 2);
            const auto seed = static_cast<uint32_t>(g.next());
            if (levels_ > 1)
                addChild(std::make_unique<Nest>(x, z, half, seed, levels_ - 1));
            else
                addChild(std::make_unique<DrawablePolyExtruded>(square(x, z, half), Extrusion{0, 20}, seed, nullptr));
        }
    }

private:
    int levels_;
};

// Size 0 children never refine further: they always draw their own shape.
class ImpostorTraversal : public ::testing::Test {
protected:
    ImpostorTraversal() { ctx.makesImpostors = true; }
    // The camera on the block's axis, `distance` metres before its centre (50, 10, 50).
    void lookFrom(float distance, float side = 0) { ctx.lookAt({50 + side, 10, 50 - distance}, {50 + side, 10, 50}); }
    // Returns the shapes drawn: recorded anew or replayed.
    int frame(Desc& root) {
        ctx.calls.clear();
        const int replayed = ctx.replayed;
        ctx.beginFrame();
        root.render(ctx);
        ctx.endFrame();
        return static_cast<int>(ctx.calls.size()) + ctx.replayed - replayed;
    }
    int callsBy(const Desc* d) const {
        int n = 0;
        for (const auto& c : ctx.calls)
            n += c.description == d;
        return n;
    }
    NullRenderContext ctx;  // 500 x 400, P0 = 2.414
};

}  // namespace

TEST(ImpostorWindowPlan, TextureSidesArePowersOfTwoUpTo128) {
    auto plan = [](float pixelsWide, float pixelsHigh) {
        // Centred rectangle in a 500 x 400 viewport.
        const float w = pixelsWide / 250, h = pixelsHigh / 200;
        return planImpostorWindow({-w / 2, -h / 2, w / 2, h / 2}, 500, 400);
    };
    EXPECT_EQ(plan(3.5f, 1)->textureWidth, 4);
    EXPECT_EQ(plan(3.5f, 1)->textureHeight, 1);
    EXPECT_EQ(plan(64.5f, 64)->textureWidth, 64);
    EXPECT_EQ(plan(65.5f, 64)->textureWidth, 128);
    EXPECT_EQ(plan(128.5f, 128.5f)->textureWidth, 128);
    EXPECT_EQ(plan(128.5f, 128.5f)->textureHeight, 128);
    EXPECT_FALSE(plan(129.5f, 10)) << "129 pixels wide";
    EXPECT_FALSE(plan(10, 129.5f)) << "129 pixels high";
}

TEST(ImpostorWindowPlan, WindowMustLieInsideTheViewport) {
    // 20 x 20 pixels (a 32 x 32 texture) with the lower-left corner at the
    // given pixel (column, row from the top).
    auto at = [](float column, float row) {
        const float x = column / 250 - 1, y = 1 - row / 200;
        return planImpostorWindow({x, y, x + 0.08f, y + 0.1f}, 500, 400);
    };
    const auto inside = at(100.5f, 300.5f);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->left, 100);
    EXPECT_EQ(inside->bottom, 300);
    EXPECT_EQ(inside->textureWidth, 32);
    EXPECT_TRUE(at(0, 40)) << "touching the left edge is inside";
    EXPECT_FALSE(at(480.5f, 300)) << "the 32-texel window passes the right edge";
    EXPECT_FALSE(at(100, 20)) << "the window passes the top";
    EXPECT_FALSE(at(100, 401)) << "below the bottom";
    EXPECT_FALSE(at(-3, 300)) << "left of the viewport";
}

// The texture projection maps the captured window onto [0, 1]^2 from the
// viewpoint of the capture, whatever model transform the shape has.
TEST(ImpostorProjectionTest, WindowCornersMapToTheTextureCorners) {
    Impostor imp;
    imp.captureMatrix = makeProjection(500, 400, 1, 1000) * makeView({3, 4, -50}, {0, 0, 0});
    imp.originX = -0.31f, imp.originY = -0.22f;  // left 172, bottom 244 from the top
    imp.textureWidth = 64, imp.textureHeight = 32;
    const Matrix44 model = Matrix44::translation(5, 0, 7);
    const ImpostorProjection t = impostorProjection(imp, model, 500, 400);
    const Matrix44 toScreen = imp.captureMatrix * model;
    const Matrix44 back = toScreen.inverse();
    // Points of the model whose screen position is a given pixel corner.
    auto modelPointAt = [&](float column, float rowFromBottom) {
        const float x = column / 250 - 1, y = rowFromBottom / 200 - 1;
        // Unproject at normalised depth 0.5.
        const float clip[4] = {x, y, 0.5f, 1};
        float out[4];
        for (int r = 0; r < 4; ++r)
            out[r] = back.m[r * 4] * clip[0] + back.m[r * 4 + 1] * clip[1] + back.m[r * 4 + 2] * clip[2] +
                     back.m[r * 4 + 3] * clip[3];
        return Vector(out[0] / out[3], out[1] / out[3], out[2] / out[3]);
    };
    const float bottom = 400 - 244;
    const Vec2 lowLeft = t.apply(modelPointAt(172, bottom));
    const Vec2 upRight = t.apply(modelPointAt(172 + 64, bottom + 32));
    const Vec2 middle = t.apply(modelPointAt(172 + 16, bottom + 24));
    EXPECT_NEAR(lowLeft.x, 0, 1e-3f);
    EXPECT_NEAR(lowLeft.y, 0, 1e-3f);
    EXPECT_NEAR(upRight.x, 1, 1e-3f);
    EXPECT_NEAR(upRight.y, 1, 1e-3f);
    EXPECT_NEAR(middle.x, 0.25f, 1e-3f);
    EXPECT_NEAR(middle.y, 0.75f, 1e-3f);
}

TEST_F(ImpostorTraversal, BlockWithChildrenIsCapturedThenShownOnItsOwnShape) {
    Block block(0, 0, 77);
    const long alive = Impostor::liveCount();
    lookFrom(800);  // about 107 pixels wide, projected 0.089 (above the threshold 0.083)
    frame(block);
    ASSERT_EQ(block.childCount(), 4);
    EXPECT_EQ(block.impostor, nullptr) << "no children yet at the first frame";

    EXPECT_EQ(frame(block), 4) << "the children are drawn into the window";
    ASSERT_NE(block.impostor, nullptr);
    EXPECT_EQ(Impostor::liveCount(), alive + 1);
    EXPECT_EQ(ctx.impostorsMade, 1);
    ASSERT_EQ(ctx.queued.size(), 1u);
    EXPECT_EQ(ctx.queued[0], block.impostor.get());
    EXPECT_EQ(block.impostor->textureWidth, 128);
    EXPECT_NEAR(block.impostor->creationSize, 1.5f * block.size / 800, 1e-4f);
    EXPECT_TRUE(block.material->isImpostor());
    EXPECT_EQ(callsBy(&block), 0);
    EXPECT_EQ(ctx.impostorsEnabled, 1);

    EXPECT_EQ(frame(block), 1) << "only the own shape, with the picture";
    ASSERT_EQ(ctx.calls.size(), 1u) << "recorded anew with the picture";
    EXPECT_EQ(ctx.calls[0].description, &block);
    EXPECT_EQ(ctx.impostorsMade, 0);
    EXPECT_EQ(block.childCount(), 4) << "the children stay during the countdown";
}

TEST_F(ImpostorTraversal, MovingPastTheViewpointRuleDropsTheImpostor) {
    Block block(0, 0, 77);
    lookFrom(800);
    frame(block);
    frame(block);
    ASSERT_NE(block.impostor, nullptr);
    Material* covered = static_cast<ImpostorMaterial*>(block.material.get())->next.get();

    lookFrom(800, 30);  // 2.1 degrees aside: still within 0.999
    EXPECT_EQ(frame(block), 1);
    EXPECT_NE(block.impostor, nullptr);
    EXPECT_EQ(callsBy(&block), 1);
    EXPECT_EQ(frame(block), 1);
    EXPECT_EQ(callsBy(&block), 0) << "then replayed";

    lookFrom(800, 60);  // 4.3 degrees: dropped ...
    EXPECT_EQ(frame(block), 4);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(block.material.get(), covered);
    EXPECT_EQ(frame(block), 4);  // ... and made again from here
    ASSERT_NE(block.impostor, nullptr);
    EXPECT_EQ(ctx.impostorsMade, 1);
    EXPECT_NEAR(block.impostor->viewpoint.x, 110, 1e-3f);

    lookFrom(500, 60);  // nearer than the creation size allows: dropped, refined
    EXPECT_EQ(frame(block), 4);
    EXPECT_EQ(block.impostor, nullptr);
}

TEST_F(ImpostorTraversal, NodeWiderThan128PixelsGetsNone) {
    Block block(0, 0, 77);
    lookFrom(660);  // about 129.5 pixels wide
    frame(block);
    EXPECT_EQ(frame(block), 4);
    EXPECT_EQ(block.impostor, nullptr);
    lookFrom(680);  // about 125.6 pixels
    frame(block);
    EXPECT_NE(block.impostor, nullptr);
}

TEST_F(ImpostorTraversal, WindowPartlyOutsideTheViewportGetsNone) {
    Block block(0, 0, 77);
    // The block's centre 0.4 of the half-width right of the screen's edge region:
    // its rectangle crosses the right border.
    ctx.lookAt({50 - 300, 10, 50 - 800}, {50 - 300, 10, 50});
    frame(block);
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    ASSERT_EQ(block.childCount(), 4);
    lookFrom(800);
    frame(block);
    EXPECT_NE(block.impostor, nullptr);
}

TEST_F(ImpostorTraversal, FailedTextureStopsCreationForTheRestOfTheFrame) {
    std::vector<std::unique_ptr<Block>> blocks;
    for (uint32_t i = 0; i < 3; ++i)
        blocks.push_back(std::make_unique<Block>(0, 0, 100 + i));
    lookFrom(800);
    auto frameAll = [&](int textures) {
        ctx.beginFrame();
        ctx.impostorTextures = textures;
        for (auto& b : blocks)
            b->render(ctx);
        ctx.endFrame();
    };
    frameAll(-1);
    for (auto& b : blocks)
        b->releaseImpostor();
    frameAll(0);
    EXPECT_EQ(ctx.impostorCreationAllowed, 0);
    for (auto& b : blocks)
        EXPECT_EQ(b->impostor, nullptr);
    // Textures are there again, but not asked for before the next frame.
    ctx.impostorTextures = -1;
    blocks[2]->render(ctx);
    EXPECT_EQ(blocks[2]->impostor, nullptr);
    frameAll(-1);
    for (auto& b : blocks)
        EXPECT_NE(b->impostor, nullptr);
    EXPECT_EQ(ctx.impostorsMade, 3);
}

TEST_F(ImpostorTraversal, AtMost201AreMadeInOneFrame) {
    std::vector<std::unique_ptr<Block>> blocks;
    for (uint32_t i = 0; i < 210; ++i)
        blocks.push_back(std::make_unique<Block>(0, 0, 1000 + i));
    lookFrom(800);
    for (int f = 0; f < 2; ++f) {
        ctx.beginFrame();
        for (auto& b : blocks)
            b->render(ctx);
        ctx.endFrame();
    }
    EXPECT_EQ(ctx.impostorsMade, 201);
    int with = 0;
    for (auto& b : blocks)
        with += b->impostor != nullptr;
    EXPECT_EQ(with, 201);
}

TEST_F(ImpostorTraversal, SwitchedOffImpostorsAreDroppedAndNoneAreMade) {
    Block block(0, 0, 77);
    lookFrom(800);
    frame(block);
    frame(block);
    ASSERT_NE(block.impostor, nullptr);
    ctx.impostorsEnabled = 0;
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(frame(block), 4);
    EXPECT_EQ(block.impostor, nullptr);
}

TEST_F(ImpostorTraversal, CullingReleasesTheImpostor) {
    Block block(0, 0, 77);
    const long alive = Impostor::liveCount();
    lookFrom(800);
    frame(block);
    frame(block);
    ASSERT_NE(block.impostor, nullptr);
    ctx.lookAt({50, 10, 50 - 800}, {50, 10, -2000});  // looking away
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(block.childCount(), 0);
    EXPECT_FALSE(block.material->isImpostor());
    EXPECT_EQ(Impostor::liveCount(), alive);
}

TEST_F(ImpostorTraversal, PlainShapeListIsKeptWhileTheImpostorStandsIn) {
    Block block(0, 0, 77);
    lookFrom(800);
    frame(block);
    ASSERT_EQ(block.childCount(), 4);
    // Coarse by size with impostors off: the plain shape is recorded.
    ctx.impostorsEnabled = 0;
    lookFrom(900);
    frame(block);
    ASSERT_EQ(callsBy(&block), 1);
    RenderList* plain = block.renderHandle.get();
    ASSERT_NE(plain, nullptr);

    ctx.impostorsEnabled = 1;
    frame(block);
    ASSERT_NE(block.impostor, nullptr);
    frame(block);
    EXPECT_EQ(callsBy(&block), 1) << "the shape with the picture";
    EXPECT_NE(block.renderHandle.get(), plain);

    // The impostor goes: the plain list comes back and is replayed, not recorded.
    ctx.impostorsEnabled = 0;
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(block.renderHandle.get(), plain);
    EXPECT_EQ(callsBy(&block), 0);
    EXPECT_EQ(frame(block), 1);
    EXPECT_EQ(callsBy(&block), 0);
}

TEST_F(ImpostorTraversal, BudgetedTraversalMakesNoImpostorOfADescriptionCoarseBySize) {
    ctx.growth().setLimit(GrowthBudget::kMinimum);
    Block block(0, 0, 77);
    lookFrom(800);
    frame(block);
    ASSERT_EQ(block.childCount(), 4);
    lookFrom(900);  // projected 0.079, below the threshold 0.083
    for (int f = 0; f < 3; ++f)
        frame(block);
    EXPECT_EQ(block.impostor, nullptr) << "its own shape costs as little";
    EXPECT_EQ(ctx.impostorsMade, 0);
    lookFrom(800);
    frame(block);
    EXPECT_NE(block.impostor, nullptr) << "finer than the threshold: worth a picture";
}

TEST_F(ImpostorTraversal, PictureTakenWhileItsSubtreeWaitsIsTakenAgainOnceGrown) {
    // At detail 3 the 50 m quarters of the nest refine at 800 m, the nest
    // itself is small enough for an impostor; one generation a frame.
    ctx.setDetail(3);
    ctx.growth().setLimit(GrowthBudget::kMinimum);
    Nest nest(0, 0, 100, 5, 2);
    lookFrom(800);
    frame(nest);
    ASSERT_EQ(nest.childCount(), 4);
    frame(nest);
    ASSERT_NE(nest.impostor, nullptr);
    EXPECT_TRUE(nest.impostor->incomplete) << "its quarters waited while it was taken";
    EXPECT_EQ(ctx.growth().counts().impostorsDropped, 1);

    int frames = 0, dropped = 0;
    for (; frames < 40 && !(nest.impostor && !nest.impostor->incomplete); ++frames) {
        frame(nest);
        dropped += static_cast<int>(ctx.growth().counts().impostorsDropped);
        if (frames == 0) {
            EXPECT_EQ(nest.impostor, nullptr) << "dropped at the next look";
        }
    }
    EXPECT_EQ(dropped, 0) << "not taken again while the quarters grew";
    EXPECT_GE(frames, 10) << "waits its turn before the next picture";
    ASSERT_NE(nest.impostor, nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_GT(static_cast<Desc*>(nest.child(i))->childCount(), 0);
    const Impostor* kept = nest.impostor.get();
    for (int f = 0; f < 5; ++f)
        frame(nest);
    EXPECT_EQ(nest.impostor.get(), kept) << "the whole picture stays";
}
