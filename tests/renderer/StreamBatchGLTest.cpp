// Small meshes drawn on their own, gathered and drawn together on a real
// (software) GL context: a field of boxes of three colours, some placed in
// other frames, goes out in one draw per flush and shows what one draw per box
// shows; view, lighting and depth-test changes between draws keep every box
// where and as it was drawn; a mesh that goes before the frame ends still shows.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "renderer/StreamBatch.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

class StreamBatchGLTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        lookAt({0, 30, -40}, {0, 0, 0});
    }
    void TearDown() override {
        gl().model = gl().baseModel;
        gl().setLighting(true);
        gl().setDepthTest(true);
    }

    // The frame drawn by draw, with batching on and off.
    Frame drawn(bool batching, const std::function<void()>& draw) {
        gl().batching = batching;
        gl().beginFrame();
        draw();
        // What was recorded goes before the frame ends, as a list dropped at once.
        gl().endList();
        gl().endFrame();
        return grab();
    }

    void box(float x, float z, float height, Material* material) {
        Extrusion e;
        e.height = height;
        gl().extrudedPolygon(rectangle(x - 0.4f, z - 0.4f, x + 0.4f, z + 0.4f), e, material, 0);
    }

    ColourMaterial red{0.9f, 0.1f, 0.1f};
    ColourMaterial green{0.1f, 0.9f, 0.1f};
    ColourMaterial blue{0.1f, 0.1f, 0.9f};
};

}  // namespace

TEST_F(StreamBatchGLTest, AFieldOfSmallMeshesGoesOutInAFewDrawsAndShowsTheSame) {
    Material* colours[3] = {&red.material, &green.material, &blue.material};
    const int side = 30;
    box(0, 0, 1, &red.material);
    const std::unique_ptr<RenderList> one = gl().endList();
    const auto* mesh = dynamic_cast<const Mesh*>(one.get());
    ASSERT_NE(mesh, nullptr);
    ASSERT_TRUE(StreamBatch::takes(*mesh));
    ASSERT_GT(static_cast<size_t>(side * side * mesh->vertexCount()), StreamBatch::kMaxVertices)
        << "more than one flush holds";
    auto field = [&] {
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j) {
                // Every seventh box placed in a frame of its own, turned about y.
                const float x = -15.0f + static_cast<float>(i), z = -15.0f + static_cast<float>(j);
                if ((i * side + j) % 7 == 0) {
                    gl().model = gl().baseModel * Matrix44::translation(x, 0, z) * Matrix44::rotationY(0.5f);
                    gl().applyModelTransform();
                    box(0, 0, 1.5f, colours[(i + j) % 3]);
                    gl().model = gl().baseModel;
                    gl().applyModelTransform();
                } else {
                    box(x, z, 1.0f + 0.1f * static_cast<float>(j % 5), colours[(i + j) % 3]);
                }
            }
    };
    const Frame together = drawn(true, field);
    EXPECT_EQ(gl().meshesDrawn, side * side);
    // The colours differ in diffuse only, which the vertices carry: one
    // surface, one draw per flush.
    const int perFlush = static_cast<int>(StreamBatch::kMaxVertices) / mesh->vertexCount();
    EXPECT_EQ(gl().drawCalls, (side * side + perFlush - 1) / perFlush);
    const Frame apartOnes = drawn(false, field);
    EXPECT_EQ(gl().drawCalls, side * side);
    EXPECT_GT(litPixels(together), kSize * kSize / 4) << "the field is on screen";
    EXPECT_LE(pixelsApart(together, apartOnes), kSize * kSize / 1000) << "pixels more than 8 levels apart";
}

TEST_F(StreamBatchGLTest, ChangesOfViewLightOrDepthTestBetweenDrawsKeepEachBoxAsDrawn) {
    auto sequence = [&] {
        box(-6, 0, 2, &red.material);
        box(-3, 0, 2, &red.material);
        // Another view: the red boxes stay where the first one put them.
        lookAt({5, 20, -30}, {0, 0, 0});
        box(0, 0, 2, &green.material);
        box(3, 0, 2, &green.material);
        // Unlit, then also over everything, as the skybox and the outline draw.
        gl().setLighting(false);
        box(6, -6, 1, &blue.material);
        gl().setDepthTest(false);
        box(6, 0, 1, &blue.material);
        gl().setDepthTest(true);
        gl().setLighting(true);
        box(-6, -6, 1, &green.material);
        box(-3, -6, 1, &green.material);
        lookAt({0, 30, -40}, {0, 0, 0});
    };
    const Frame together = drawn(true, sequence);
    EXPECT_EQ(gl().drawCalls, 5) << "the lit, depth-tested boxes of one view go out together";
    const Frame apartOnes = drawn(false, sequence);
    EXPECT_EQ(gl().drawCalls, 8);
    EXPECT_GT(litPixels(together), kSize * kSize / 100);
    EXPECT_LE(pixelsApart(together, apartOnes), kSize * kSize / 1000) << "pixels more than 8 levels apart";
}
