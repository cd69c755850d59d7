// The renderer on a real (software) GL context: pixels read back from the
// render target after drawing prisms, walls and the graph.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/Drawable.h"
#include "core/Graph.h"
#include "core/Material.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"
#include "renderer/ImageDecoder.h"
#include "renderer/Mesh.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

// The cube [-1, 1]^3 as a prism of a positively oriented square.
void drawCube(RendererGl& gl, Material* material, float cx = 0, float cz = 0, float half = 1) {
    Extrusion e;
    e.level = -half;
    e.height = 2 * half;
    gl.extrudedPolygon(rectangle(cx - half, cz - half, cx + half, cz + half), e, material, 0);
}

double variance(const Frame& f, int x0, int y0, int x1, int y1) {
    double sum = 0, sum2 = 0;
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double g = f.at(x, y).grey();
            sum += g;
            sum2 += g * g;
            ++n;
        }
    const double mean = sum / n;
    return sum2 / n - mean * mean;
}

// A drawable that counts how often it is asked to emit.
class CountingPrism : public Drawable {
public:
    CountingPrism() : Drawable(7, nullptr) {}
    void draw(RenderContext& ctx) override {
        ++draws;
        Extrusion e;
        e.height = 1;
        ctx.extrudedPolygon(rectangle(0, 0, 1, 1), e, material.get(), 0);
    }
    int draws = 0;
};

}  // namespace

TEST_F(GlTest, LitPrismShowsItsOutsideFacesShadedByTheLight) {
    // Seen from the front left and above: the -x face on the left, the -z
    // face on the right, the top above them. The light travels along +x, so
    // only the -x face is turned to it.
    lookAt({-5, 3, -7}, {0, 0, 0});
    gl().setLight({1, 0, 0});
    Material plain;
    gl().beginFrame();
    drawCube(gl(), &plain);
    gl().endFrame();
    const Frame f = grab();

    const Pixel left = project({-1, 0, 0}), right = project({0, 0, -1}), top = project({0, 1, 0});
    ASSERT_LT(left.x, right.x);
    // Turned to the light: ambient plus full diffuse, saturated.
    EXPECT_GE(f.at(left.x, left.y).grey(), 250) << f.at(left.x, left.y);
    // Turned away (or edge-on): the scene ambient 0x20 alone.
    EXPECT_NEAR(f.at(right.x, right.y).grey(), 0x20, 3) << f.at(right.x, right.y);
    EXPECT_NEAR(f.at(top.x, top.y).grey(), 0x20, 3) << f.at(top.x, top.y);

    // Covered pixels lie inside the projected corners' box; outside it is background.
    int minX = kSize, minY = kSize, maxX = -1, maxY = -1;
    for (float x : {-1.f, 1.f})
        for (float y : {-1.f, 1.f})
            for (float z : {-1.f, 1.f}) {
                const Pixel p = project({x, y, z});
                minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
                minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
            }
    int covered = 0, stray = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const bool inside = x >= minX - 1 && x <= maxX + 1 && y >= minY - 1 && y <= maxY + 1;
            if (!f.at(x, y).black())
                ++(inside ? covered : stray);
        }
    EXPECT_EQ(stray, 0);
    // A cube's outline fills a good part of its box.
    EXPECT_GT(covered, (maxX - minX) * (maxY - minY) / 2);
}

TEST_F(GlTest, BackOfThePrismIsNotDrawnOverItsFront) {
    // Head-on with the light behind the camera: the -z face is lit, the +z
    // face behind it (turned away) must not show through whatever the order.
    gl().setLight({0, 0, 1});
    Material plain;
    gl().beginFrame();
    drawCube(gl(), &plain);
    gl().endFrame();
    const Frame f = grab();
    EXPECT_GE(f.at(kSize / 2, kSize / 2).grey(), 250);
}

TEST_F(GlTest, PrismOfATriangleHas18VerticesAnd8Triangles) {
    Material plain;
    gl().beginFrame();
    gl().trianglesDrawn = 0;
    gl().beginList();
    Extrusion e;
    e.height = 2;
    gl().extrudedPolygon(makePoly({{0, 0}, {0, 1}, {1, 0}}), e, &plain, 0);
    std::unique_ptr<RenderList> list = gl().endList();
    gl().endFrame();
    auto* mesh = dynamic_cast<Mesh*>(list.get());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount(), 18);
    EXPECT_EQ(mesh->triangleCount(), 8);
    EXPECT_TRUE(mesh->uploaded());
    EXPECT_EQ(gl().trianglesDrawn, 8);  // drawn at once when emitted
}

TEST_F(GlTest, TexturedWallShowsItsPicture) {
    // A black and white checker of 8x8 squares, one picture per metre.
    const std::string name = "calli_test_checker.bmp";
    const std::filesystem::path folder = "../data/Bitmaps";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / name;
    {
        std::vector<uint8_t> checker(64 * 64 * 3);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                for (int c = 0; c < 3; ++c)
                    checker[(y * 64 + x) * 3 + c] = ((x / 8 + y / 8) % 2) ? 255 : 0;
        ASSERT_NE(stbi_write_bmp(path.c_str(), 64, 64, 3, checker.data()), 0);
    }
    MaterialRecord record;
    record.name = "test wall";
    record.textureName = name;
    record.textureScale = 1;
    Material wall;
    wall.record = &record;
    wall.mapping = mapping::kVertical;
    wall.referenceEdge = 1;  // the front face's edge, along +x

    // A wall 4 m wide and 3 m high facing the camera.
    const Poly footprint = rectangle(-2, 0, 2, 0.2f);
    Extrusion e;
    e.level = -1.5f;
    e.height = 3;
    auto drawWall = [&](uint8_t mode) {
        wall.mapping = mode;
        gl().beginFrame();
        gl().extrudedPolygon(footprint, e, &wall, 0);
        gl().endFrame();
        return grab();
    };
    lookAt({0, 0, -6}, {0, 0, 0});
    const Frame textured = drawWall(mapping::kVertical);
    const Frame plain = drawWall(0);
    wall.record = nullptr;
    std::filesystem::remove(path);

    const Pixel a = project({-1.5f, 1, 0}), b = project({1.5f, -1, 0});
    ASSERT_LT(a.x + 10, b.x);
    EXPECT_GT(variance(textured, a.x, a.y, b.x, b.y), 2000.0);
    EXPECT_LT(variance(plain, a.x, a.y, b.x, b.y), 4.0);
    EXPECT_GT(plain.at((a.x + b.x) / 2, (a.y + b.y) / 2).grey(), 200);
}

TEST_F(GlTest, NearPrismHidesFarPrismInEitherOrder) {
    ColourMaterial red(1, 0, 0), green(0, 1, 0);
    lookAt({0, 0, -10}, {0, 0, 0});
    for (bool nearFirst : {true, false}) {
        gl().beginFrame();
        if (nearFirst)
            drawCube(gl(), &red.material, 0, -2, 1);
        drawCube(gl(), &green.material, 0, 4, 3);
        if (!nearFirst)
            drawCube(gl(), &red.material, 0, -2, 1);
        gl().endFrame();
        const Frame f = grab();
        const Rgb centre = f.at(kSize / 2, kSize / 2);
        EXPECT_GT(centre.r, 200) << "near first: " << nearFirst << " " << centre;
        // Green only from the white scene ambient (0x20) that every surface reflects.
        EXPECT_LE(centre.g, 0x21) << "near first: " << nearFirst << " " << centre;
        // Beside the small prism the big one shows.
        const Pixel side = project({2.5f, 0, 1});
        EXPECT_GT(f.at(side.x, side.y).g, 200) << f.at(side.x, side.y);
    }
}

TEST_F(GlTest, GraphShowsRedEdgesAndBlueNodesOverGeometry) {
    Graph graph;
    GraphNode* a = graph.addNode(Vector(-3, 0, 0), false);
    GraphNode* b = graph.addNode(Vector(3, 0, 0), false);
    addEdge(a, b);
    lookAt({0, 6, -6}, {0, 0, 0});
    Material plain;
    gl().beginFrame();
    // A slab whose top lies above the graph: the graph is drawn without depth test.
    Extrusion e;
    e.level = -1;
    e.height = 1.5f;
    gl().extrudedPolygon(rectangle(-5, -5, 5, 5), e, &plain, 0);
    gl().drawGraph(graph);
    gl().endFrame();
    const Frame f = grab();

    auto findColour = [&](const Pixel& p, auto predicate) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (predicate(f.at(p.x + dx, p.y + dy)))
                    return true;
        return false;
    };
    auto red = [](const Rgb& c) { return c.r > 200 && c.g < 40 && c.b < 40; };
    auto blue = [](const Rgb& c) { return c.b > 200 && c.r < 40 && c.g < 40; };
    EXPECT_TRUE(findColour(project({0, 0, 0}), red));
    EXPECT_TRUE(findColour(project({1.5f, 0, 0}), red));
    // Inside node a's triangle, away from its edge.
    EXPECT_TRUE(findColour(project({-3.2f, 0, 0}), blue));
    EXPECT_TRUE(findColour(project({3.2f, 0, -0.1f}), blue) || findColour(project({3.2f, 0, 0.1f}), blue));
    // The slab itself is lit grey elsewhere.
    const Rgb slab = f.at(project({0, 0.5f, -3}).x, project({0, 0.5f, -3}).y);
    EXPECT_FALSE(red(slab) || blue(slab)) << slab;
    EXPECT_GT(slab.grey(), 20);
}

TEST_F(GlTest, DrawableRenderedTwiceEmitsOnceAndReplaysAfter) {
    CountingPrism prism;
    gl().beginFrame();
    const long built = gl().meshesBuilt;
    gl().trianglesDrawn = 0;
    prism.render(gl());
    EXPECT_EQ(prism.draws, 1);
    EXPECT_EQ(gl().meshesBuilt, built + 1);
    ASSERT_NE(prism.renderHandle, nullptr);
    EXPECT_EQ(gl().trianglesDrawn, 12);
    prism.render(gl());
    EXPECT_EQ(prism.draws, 1);
    EXPECT_EQ(gl().meshesBuilt, built + 1);
    EXPECT_EQ(gl().trianglesDrawn, 24);  // replayed
    EXPECT_EQ(gl().meshesDrawn, 2);
    gl().endFrame();
}

TEST_F(GlTest, UploadsAndDrawsAreTimedAsSubmissionInsideAndOutsideRecording) {
    CountingPrism prism;
    Profiler& p = Profiler::instance();
    p.resetFrame();
    gl().beginFrame();
    p.enter(profile::kRender, "Render");
    prism.render(gl());  // recorded: tessellated, uploaded and drawn
    prism.render(gl());  // replayed
    prism.render(gl());
    p.leave();
    gl().endFrame();
    const Profiler::Section* render = p.root().firstChild.get();
    while (render && render->key != profile::kRender)
        render = render->next.get();
    ASSERT_NE(render, nullptr);
    long record = 0, replay = 0, emit = 0;
    for (const Profiler::Section* s = render->firstChild.get(); s; s = s->next.get()) {
        if (s->key == profile::kRecord) {
            record += s->calls;
            for (const Profiler::Section* c = s->firstChild.get(); c; c = c->next.get())
                emit += c->key == profile::kSubmit ? c->calls : 0;
        }
        replay += s->key == profile::kSubmit ? s->calls : 0;
    }
    EXPECT_EQ(record, 1);
    EXPECT_EQ(emit, 1);
    EXPECT_EQ(replay, 2);
}

TEST_F(GlTest, EndListWithoutEmissionGivesNull) {
    gl().beginList();
    EXPECT_EQ(gl().endList(), nullptr);
}

TEST_F(GlTest, OneMeshIsAListOfOneAndTwoAGroupInOrder) {
    Material plain;
    Extrusion e;
    e.height = 1;
    gl().beginFrame();
    gl().beginList();
    gl().extrudedPolygon(makePoly({{0, 0}, {0, 1}, {1, 0}}), e, &plain, 0);
    std::unique_ptr<RenderList> one = gl().endList();
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->count(), 1);

    gl().beginList();
    gl().extrudedPolygon(makePoly({{0, 0}, {0, 1}, {1, 0}}), e, &plain, 0);
    gl().extrudedPolygon(rectangle(0, 0, 1, 1), e, &plain, 0);
    std::unique_ptr<RenderList> two = gl().endList();
    gl().endFrame();
    auto* group = dynamic_cast<MeshGroup*>(two.get());
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count(), 2);
    EXPECT_EQ(dynamic_cast<Mesh&>(group->entry(0)).vertexCount(), 18);
    EXPECT_EQ(dynamic_cast<Mesh&>(group->entry(1)).vertexCount(), 24);
}

TEST_F(GlTest, TerrainPolygonGetsABorderUnlessTheDepthIsZero) {
    Material plain;
    const Poly square = rectangle(0, 0, 4, 4);
    auto build = [&](float depth) {
        gl().beginList();
        gl().terrainPolygon(square, nullptr, depth, &plain);
        std::unique_ptr<RenderList> list = gl().endList();
        return std::unique_ptr<Mesh>(dynamic_cast<Mesh*>(list.release()));
    };
    gl().beginFrame();
    const auto flat = build(0), down = build(-20), up = build(5);
    gl().endFrame();
    ASSERT_TRUE(flat && down && up);
    // The fan of a square alone; with a border two more triangles an edge.
    EXPECT_EQ(flat->triangleCount(), 2);
    EXPECT_EQ(down->triangleCount(), 10);
    EXPECT_EQ(up->triangleCount(), 10);
    float lowest = 0, highest = 0;
    for (const PackedVertex& v : down->vertices())
        lowest = std::min(lowest, v.y);
    for (const PackedVertex& v : up->vertices())
        highest = std::max(highest, v.y);
    EXPECT_FLOAT_EQ(lowest, -20);
    // A positive depth counts as none: the border stays at the surface.
    EXPECT_FLOAT_EQ(highest, 0);
}

TEST_F(GlTest, ThresholdFollowsViewportProjectionAndDetail) {
    ASSERT_TRUE(gl().resize(500, 400));
    Matrix44 p = makeProjection(500, 400, 1, 10001);
    p.m[0] = 2.4142137f;
    gl().setProjection(p);
    gl().setDetail(0.4f);
    EXPECT_NEAR(gl().lodThreshold, 0.0828f, 0.0001f);
    EXPECT_FLOAT_EQ(gl().detail(), 0.4f);
}

TEST_F(GlTest, ResizeMakesTheTargetAgainAndForgetsTextures) {
    Material plain;
    const bool dataSet = gl().textureCache().texture("brick1.jpg") != 0;
    ASSERT_TRUE(gl().resize(96, 64));
    EXPECT_EQ(gl().textureCache().size(), 0);
    if (dataSet) {
        EXPECT_NE(gl().textureCache().texture("brick1.jpg"), 0u);  // loaded again on first use
        EXPECT_EQ(gl().textureCache().size(), 1);
    }
    EXPECT_EQ(gl().viewportWidth, 96);
    EXPECT_EQ(gl().clientRect.right, 96);
    EXPECT_EQ(gl().clientRect.bottom, 64);
    // P5 follows the new shape.
    EXPECT_NEAR(gl().projection.m[5], 96.0f * gl().projection.m[0] / 64.0f, 1e-5f);
    gl().beginFrame();
    drawCube(gl(), &plain);
    gl().endFrame();
    const Frame f = grab();
    EXPECT_EQ(f.rgba.size(), 96u * 64u * 4u);
    EXPECT_FALSE(f.at(48, 32).black());
    EXPECT_TRUE(f.at(0, 0).black());
}

TEST_F(GlTest, SavedBitmapHoldsTheFramesPixels) {
    ColourMaterial orange(1, 0.5f, 0);
    lookAt({-4, 2, -6}, {0, 0, 0});
    gl().setLight({1, -1, 2});
    gl().beginFrame();
    drawCube(gl(), &orange.material);
    gl().endFrame();
    const Frame f = grab();
    const std::string path = (std::filesystem::temp_directory_path() / "calli_renderer_target.bmp").string();
    ASSERT_TRUE(gl().saveBitmap(path.c_str()));
    ImageDecoder decoder;
    ImageDecoder::Image image;
    ASSERT_TRUE(decoder.decode(path.c_str(), image)) << decoder.error();
    const int w = image.width, h = image.height;
    ASSERT_EQ(w, kSize);
    ASSERT_EQ(h, kSize);
    int differing = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &image.rgba[static_cast<size_t>(y * w + x) * 4];
            const Rgb c = f.at(x, y);
            differing += p[0] != c.r || p[1] != c.g || p[2] != c.b;
        }
    std::filesystem::remove(path);
    EXPECT_EQ(differing, 0);
    EXPECT_FALSE(f.at(kSize / 2, kSize / 2).black());
}

TEST_F(GlTest, ColourVariationDrawsOneBrightnessStepFromTheOffsetGenerator) {
    ColourMaterial grey(0.5f, 0.5f, 0.5f);
    grey.record.colourVariation = 0.8f;
    // Lit from the camera: the face shows ambient + diffuse, so the step is visible.
    gl().setLight({0, 0, 1});
    auto shade = [&](int32_t seed) {
        RandomGenerator::textureOffset().seed(seed);
        gl().beginFrame();
        drawCube(gl(), &grey.material);
        gl().endFrame();
        return grab().at(kSize / 2, kSize / 2);
    };
    const Rgb a = shade(11), again = shade(11);
    EXPECT_EQ(a.r, again.r);
    EXPECT_EQ(a.r, a.g);  // brightness only
    EXPECT_EQ(a.g, a.b);
    // The step is j in [-0.2, 0.2) on a diffuse of 0.5 plus ambient 0.125.
    RandomGenerator expected(11);
    const double j = expected.range(-0.2, 0.2);
    EXPECT_NEAR(a.r, (0.5 + j + 0x20 / 255.0) * 255, 2.5);
}

TEST(RendererGlCreation, WithoutAContextThereIsNoDevice) {
    // In a fresh process, so that SDL has not started with a working driver.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "calli_no_such_driver", 1);
            GlWindow window({64, 64, false, false, "no window"});
            RendererGl renderer(window);
            const bool refused = !window.valid() && !window.error().empty() && !renderer.hasDevice();
            std::exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_STREQ(RendererGl::kCreateError, "Error creating RendererGl");
}
