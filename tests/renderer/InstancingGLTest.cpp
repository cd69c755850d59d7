// Copies of one shape drawn at once on a real (software) GL context: the
// picture is that of the shapes drawn one by one, as the crowd drew its
// bodies, in one draw; each copy takes its colour; copies out of view or
// wholly behind an occluder, and those that cannot be placed, are left out;
// the texture-offset generator moves as for one shape, whichever way the
// copies are drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "core/RandomGenerator.h"
#include "core/lod/OcclusionBuffer.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

constexpr float kHalf = 0.4f;

class InstancingGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        lookAt({0, 3, -12}, {0, 1, 0});
        for (int i = 0; i < 7; ++i) {
            RenderContext::Instance copy;
            copy.offset = Vector(-3.0f + static_cast<float>(i), 0.25f * static_cast<float>(i % 3), 0);
            copy.heightScale = 1.0f + 0.5f * static_cast<float>(i);
            copies.push_back(copy);
        }
        unit.height = 1;
    }

    Frame drawn(const std::function<void()>& draw) {
        gl().beginFrame();
        draw();
        gl().endList();
        gl().endFrame();
        return grab();
    }


    Poly shape = rectangle(-kHalf, -kHalf, kHalf, kHalf);
    Extrusion unit;
    std::vector<RenderContext::Instance> copies;
    ColourMaterial white{0.9f, 0.9f, 0.9f};
};

}  // namespace

TEST_F(InstancingGLTest, CopiesInOneDrawShowWhatTheShapesDrawnOneByOneShow) {
    const Frame together = drawn([&] { gl().extrudedInstances(shape, unit, &white.material, copies); });
    EXPECT_EQ(gl().drawCalls, 1);
    EXPECT_EQ(gl().meshesDrawn, 7);

    // Each shape moved and stretched by hand, as a body was, each its own draw.
    gl().batching = false;
    const Frame apartOnes = drawn([&] {
        for (const RenderContext::Instance& c : copies) {
            Extrusion e;
            e.level = c.offset.y;
            e.height = c.heightScale;
            gl().extrudedPolygon(rectangle(c.offset.x - kHalf, c.offset.z - kHalf, c.offset.x + kHalf,
                                           c.offset.z + kHalf),
                                 e, &white.material, 0);
        }
    });
    EXPECT_EQ(gl().drawCalls, 7);
    EXPECT_GT(litPixels(together), kSize * kSize / 20) << "the copies are on screen";
    EXPECT_LE(pixelsApart(together, apartOnes), kSize * kSize / 1000) << "pixels more than 8 levels apart";

    // The context's own loop, one placed draw per copy, shows them too.
    const Frame looped = drawn([&] { gl().RenderContext::extrudedInstances(shape, unit, &white.material, copies); });
    EXPECT_EQ(gl().drawCalls, 7);
    EXPECT_LE(pixelsApart(together, looped), kSize * kSize / 1000);
}

TEST_F(InstancingGLTest, EachCopyTakesItsColourAndUnplaceableOrUnseenCopiesAreLeftOut) {
    copies[3].colour[1] = copies[3].colour[2] = 0.1f;  // the middle one red
    copies[1].heightScale = 0;
    copies[5].heightScale = std::numeric_limits<float>::quiet_NaN();
    RenderContext::Instance behind;
    behind.offset = Vector(0, 0, -40);  // behind the eye
    copies.push_back(behind);
    const Frame f = drawn([&] { gl().extrudedInstances(shape, unit, &white.material, copies); });
    EXPECT_EQ(gl().drawCalls, 1);
    EXPECT_EQ(gl().meshesDrawn, 5);
    const Pixel middle = project({0, 1, -kHalf});
    const Rgb red = f.at(middle.x, middle.y);
    EXPECT_GT(red.r, 3 * red.g) << red;
    const Pixel left = project({-1, 1.5f, -kHalf});
    const Rgb grey = f.at(left.x, left.y);
    EXPECT_GT(grey.g, 100) << grey;
    EXPECT_LT(std::abs(grey.r - grey.g), 8) << grey;
    for (float x : {-2.0f, 2.0f}) {
        const Pixel p = project({x, 0.5f, -kHalf});
        EXPECT_TRUE(f.at(p.x, p.y).black()) << "no height, no copy at " << x << ": " << f.at(p.x, p.y);
    }

    copies.assign(1, behind);
    drawn([&] { gl().extrudedInstances(shape, unit, &white.material, copies); });
    EXPECT_EQ(gl().drawCalls, 0);
}

TEST_F(InstancingGLTest, TheOffsetGeneratorMovesAsForOneShapeEitherWay) {
    white.record.colourVariation = 0.4f;  // every shape draws its brightness jitter
    auto nextAfter = [&](const std::function<void()>& draw) {
        RandomGenerator::textureOffset().seed(5);
        drawn(draw);
        return RandomGenerator::textureOffset().uniform();
    };
    const double one = nextAfter([&] { gl().extrudedPolygon(shape, unit, &white.material, 0); });
    EXPECT_EQ(nextAfter([&] { gl().extrudedInstances(shape, unit, &white.material, copies); }), one);
    EXPECT_EQ(nextAfter([&] { gl().RenderContext::extrudedInstances(shape, unit, &white.material, copies); }), one);
    RandomGenerator::textureOffset().seed(5);
    const double untouched = RandomGenerator::textureOffset().uniform();
    EXPECT_NE(one, untouched) << "the jitter is drawn";
}

TEST_F(InstancingGLTest, CopiesWhollyBehindAnOccluderAreLeftOutWithoutSwayingTheCulling) {
    // A wall between the eye and the middle copies, recorded once and
    // replayed, as the scene's simple meshes are, so that it occludes.
    ColourMaterial grey{0.5f, 0.5f, 0.5f};
    Extrusion tall;
    tall.height = 8;
    gl().extrudedPolygon(rectangle(-1.8f, -4.5f, 1.8f, -4.0f), tall, &grey.material, 0);
    const std::unique_ptr<RenderList> wall = gl().endList();
    ASSERT_NE(wall, nullptr);
    gl().occlusionEnabled = 1;
    auto frame = [&](int& tests, int& hits) {
        return drawn([&] {
            gl().occlusion().reset(OcclusionBuffer::kOn);
            gl().occlusion().beginFrame(true);
            wall->draw(gl());
            tests = gl().occlusion().tests, hits = gl().occlusion().hits;
            gl().extrudedInstances(shape, unit, &white.material, copies);
            tests -= gl().occlusion().tests, hits -= gl().occlusion().hits;
        });
    };
    int tests = 0, hits = 0;
    const Frame f = frame(tests, hits);
    const int hidden = 7 + 1 - gl().meshesDrawn;
    EXPECT_GE(hidden, 1) << "a copy behind the wall is left out";
    EXPECT_LE(hidden, 3) << "the copies beside the wall are drawn";
    EXPECT_EQ(tests, 0) << "the copies' queries are not counted";
    EXPECT_EQ(hits, 0);
    for (float x : {-3.0f, 3.0f}) {
        const Pixel p = project({x, 0.5f, -kHalf});
        EXPECT_FALSE(f.at(p.x, p.y).black()) << "the copy at " << x << " shows";
    }
    // Off, every copy is drawn, and the picture is the same.
    gl().occlusionEnabled = 0;
    const Frame all = frame(tests, hits);
    EXPECT_EQ(gl().meshesDrawn, 7 + 1);
    EXPECT_LE(pixelsApart(f, all), kSize * kSize / 1000) << "pixels more than 8 levels apart";
    gl().occlusionEnabled = 1;
}
