// Impostors and occlusion on a real (software) GL context: a picture copied
// from the frame stands in for the geometry it shows, and a box behind a
// wall is not drawn at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "core/lod/OcclusionBuffer.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

Extrusion makeExtrusion(float level, float height) {
    Extrusion e;
    e.level = level;
    e.height = height;
    return e;
}

// A 10 m cube standing on the ground at the origin, in one colour.
class ColouredCube : public Drawable {
public:
    explicit ColouredCube(Material* colour) : Drawable(3, nullptr), colour_(colour) {}
    void draw(RenderContext& ctx) override {
        ctx.extrudedPolygon(rectangle(-5, -5, 5, 5), makeExtrusion(0, 10), colour_, 0);
    }

private:
    Material* colour_;  // not owned
};

// A description whose coarse shape is the cube's volume (unbound material:
// plain white) and whose one child draws the cube in colour.
class CubeBlock : public DescPoly {
public:
    explicit CubeBlock(Material* colour) : DescPoly(rectangle(-5, -5, 5, 5), 10, 11, nullptr), colour_(colour) {}
    void generate() override { addChild(std::make_unique<ColouredCube>(colour_)); }

private:
    Material* colour_;  // not owned
};

// The cube behind a wall 20 m before the camera; the wall is drawn first.
class WalledScene : public DescPoly {
public:
    explicit WalledScene(Material* colour)
        : DescPoly(rectangle(-30, -45, 30, 10), 30, 12, nullptr), colour_(colour) {}
    void generate() override {
        addChild(std::make_unique<DrawablePolyExtruded>(rectangle(-30, -41, 30, -40), makeExtrusion(-10, 40), 5,
                                                        nullptr));
        block = addChild(std::make_unique<CubeBlock>(colour_));
    }
    CubeBlock* block = nullptr;

private:
    Material* colour_;  // not owned
};

struct Difference {
    int pixels = 0;  // pixels with a channel more than 32 apart
    double mean = 0;
};

Difference compare(const Frame& a, const Frame& b) {
    Difference d;
    long sum = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const Rgb p = a.at(x, y), q = b.at(x, y);
            const int dr = std::abs(p.r - q.r), dg = std::abs(p.g - q.g), db = std::abs(p.b - q.b);
            sum += dr + dg + db;
            d.pixels += (dr > 32 || dg > 32 || db > 32) ? 1 : 0;
        }
    d.mean = static_cast<double>(sum) / (3.0 * a.width * a.height);
    return d;
}

class ImpostorGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        gl().setDetail(4.0f);  // the block refines before it can have a picture
        gl().impostorsEnabled = 1;
        gl().occlusionEnabled = 1;
        gl().occlusion().reset(OcclusionBuffer::kOn);
    }
    void TearDown() override { gl().setDetail(0.4f); }

    Frame frame(Desc& root) {
        gl().beginFrame();
        root.render(gl());
        gl().endFrame();
        return grab();
    }
    void keepOnFailure(const Frame&, const char* name) {
        if (HasFailure())
            gl().savePng((std::string(name) + "_actual.png").c_str());
    }

    ColourMaterial red{0.9f, 0.1f, 0.1f};
};

}  // namespace

TEST_F(ImpostorGLTest, PictureOnTheCoarseShapeMatchesTheGeometryItReplaces) {
    CubeBlock block(&red.material);
    lookAt({0, 9, -60}, {0, 5, 0});
    frame(block);
    ASSERT_EQ(block.childCount(), 1);
    ASSERT_EQ(block.impostor, nullptr);

    // The children are drawn and the picture is copied at the frame's end.
    const Frame direct = frame(block);
    ASSERT_NE(block.impostor, nullptr);
    EXPECT_TRUE(block.impostor->captured);
    EXPECT_EQ(block.impostor->textureWidth, 64);

    // Something else, seen from elsewhere, between capture and display.
    CubeBlock other(&red.material);
    lookAt({40, 30, -20}, {0, 0, 0});
    frame(other);

    lookAt({0, 9, -60}, {0, 5, 0});
    const Frame shown = frame(block);
    EXPECT_EQ(gl().impostorsShown, 1);
    EXPECT_EQ(gl().meshesDrawn, 1);
    const Pixel centre = project({0, 5, -5});
    EXPECT_GT(shown.at(centre.x, centre.y).r, 150) << "the picture, not the white coarse shape";
    EXPECT_LT(shown.at(centre.x, centre.y).g, 60);
    const Difference d = compare(direct, shown);
    std::printf("picture against geometry: %d pixels apart, mean difference %.3f\n", d.pixels, d.mean);
    EXPECT_LT(d.pixels, 40) << "of about 2000 pixels the cube covers";
    EXPECT_LT(d.mean, 1.0);
    keepOnFailure(shown, "impostor_shown");
}

// An outline drawn over the scene after it has ended (the selection's) is not
// copied into the picture that frame captures, so it does not stay on screen
// once the selection is gone. Drawn before the end, it would.
TEST_F(ImpostorGLTest, LinesDrawnAfterTheSceneStayOutOfThePicture) {
    MeshMaterial yellow;
    for (float* c : {yellow.diffuse, yellow.ambient, yellow.emissive})
        c[0] = 1, c[1] = 0.9f, c[2] = 0.1f, c[3] = 1;
    const std::vector<Vector> outline = {{-5, 0, -5}, {5, 10, -5}, {5, 0, -5}, {-5, 10, -5},
                                         {-5, 5, -5}, {5, 5, -5},  {0, 0, -5}, {0, 10, -5}};
    auto yellowPixels = [](const Frame& f) {
        int n = 0;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const Rgb p = f.at(x, y);
                n += p.r > 200 && p.g > 170 && p.b < 80;
            }
        return n;
    };
    // The frame that captures the picture draws the outline; the next one does not.
    auto capturedWithOutline = [&](bool afterTheScene) {
        CubeBlock block(&red.material);
        lookAt({0, 9, -60}, {0, 5, 0});
        frame(block);
        gl().beginFrame();
        block.render(gl());
        if (afterTheScene)
            gl().finishScene();
        gl().drawLines(outline, yellow);
        gl().endFrame();
        EXPECT_NE(block.impostor, nullptr);
        const int drawn = yellowPixels(grab());
        EXPECT_GT(drawn, 20) << "the outline is on screen in its own frame";
        const Frame shown = frame(block);
        EXPECT_EQ(gl().impostorsShown, 1);
        return yellowPixels(shown);
    };
    const int after = capturedWithOutline(true);
    const int before = capturedWithOutline(false);
    std::printf("yellow pixels in the picture: outline after the scene %d, before it %d\n", after, before);
    EXPECT_EQ(after, 0);
    EXPECT_GT(before, 0) << "control: an outline drawn into the scene is captured";
}

TEST_F(ImpostorGLTest, ViewpointMovedPastTheRuleDropsThePicture) {
    CubeBlock block(&red.material);
    lookAt({0, 9, -60}, {0, 5, 0});
    frame(block);
    frame(block);
    ASSERT_NE(block.impostor, nullptr);

    lookAt({2, 9, -60}, {2, 5, 0});  // 1.9 degrees aside: kept
    frame(block);
    EXPECT_NE(block.impostor, nullptr);
    EXPECT_EQ(gl().impostorsShown, 1);

    lookAt({8, 9, -60}, {8, 5, 0});  // 7.6 degrees: dropped, the cube itself is drawn
    const Frame moved = frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(gl().impostorsShown, 0);
    EXPECT_EQ(gl().meshesDrawn, 1);
    const Pixel centre = project({0, 5, -5});
    EXPECT_GT(moved.at(centre.x, centre.y).r, 150);
    EXPECT_FALSE(block.material->isImpostor());
    keepOnFailure(moved, "impostor_dropped");
}

TEST_F(ImpostorGLTest, ImpostorsSwitchedOffDrawTheGeometry) {
    CubeBlock block(&red.material);
    lookAt({0, 9, -60}, {0, 5, 0});
    gl().impostorsEnabled = 0;
    frame(block);
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(gl().impostorsMade, 0);
    gl().impostorsEnabled = 1;
}

TEST_F(ImpostorGLTest, TextureThatCannotBeMadeStopsCreationForTheFrame) {
    CubeBlock block(&red.material);
    lookAt({0, 9, -60}, {0, 5, 0});
    frame(block);
    const long limit = gl().impostorTextureLimit;
    gl().impostorTextureLimit = Impostor::liveCount();
    frame(block);
    EXPECT_EQ(block.impostor, nullptr);
    EXPECT_EQ(gl().impostorCreationAllowed, 0);
    gl().impostorTextureLimit = limit;
    frame(block);
    EXPECT_NE(block.impostor, nullptr);
}

TEST_F(ImpostorGLTest, BoxBehindAWallIsSkipped) {
    WalledScene scene(&red.material);
    lookAt({0, 8, -60}, {0, 5, 0});
    const Frame walled = frame(scene);
    ASSERT_NE(scene.block, nullptr);
    EXPECT_GE(gl().occlusion().hits, 1);
    EXPECT_EQ(scene.block->childCount(), 0) << "never refined";
    EXPECT_EQ(scene.block->renderHandle, nullptr) << "never drawn";
    EXPECT_EQ(gl().meshesDrawn, 1) << "the wall only";
    const Pixel centre = project({0, 5, -5});
    EXPECT_GT(walled.at(centre.x, centre.y).g, 150) << "the white wall is in front";

    gl().occlusionEnabled = 0;
    frame(scene);
    EXPECT_EQ(scene.block->childCount(), 1) << "drawn when occlusion is off";
    EXPECT_EQ(gl().meshesDrawn, 2);
    gl().occlusionEnabled = 1;
    keepOnFailure(walled, "occlusion_walled");
}

TEST_F(ImpostorGLTest, TextureOfAnImpostorThatWentServesTheNextOfItsSizeWithTheNewPicture) {
    ColourMaterial blue{0.1f, 0.1f, 0.9f};
    auto redBlock = std::make_unique<CubeBlock>(&red.material);
    lookAt({0, 9, -60}, {0, 5, 0});
    frame(*redBlock);
    frame(*redBlock);
    ASSERT_NE(redBlock->impostor, nullptr);
    const long made = gl().impostorTextures().made, reused = gl().impostorTextures().reused;
    redBlock.reset();  // its picture's texture goes back to the renderer
    EXPECT_GE(gl().impostorTextures().kept(), 1);

    CubeBlock blueBlock(&blue.material);
    frame(blueBlock);
    frame(blueBlock);
    ASSERT_NE(blueBlock.impostor, nullptr);
    EXPECT_EQ(gl().impostorTextures().made, made) << "no new texture";
    EXPECT_EQ(gl().impostorTextures().reused, reused + 1);
    const Frame shown = frame(blueBlock);
    EXPECT_EQ(gl().impostorsShown, 1);
    const Pixel centre = project({0, 5, -5});
    EXPECT_GT(shown.at(centre.x, centre.y).b, 150) << "the new picture, nothing of the old one";
    EXPECT_LT(shown.at(centre.x, centre.y).r, 60);
    keepOnFailure(shown, "impostor_reused");
}
