// A small scene with the data set's materials, a model, the graph and the
// sky, written to renderer_demo.png in the working directory (bin/) for a
// person to look at. It checks only that the pieces arrived in the picture.
#include <gtest/gtest.h>


#include <filesystem>

#include "core/Graph.h"
#include "core/Model.h"
#include "core/PolyClip.h"
#include "core/Terrain.h"
#include "renderer/ImageDecoder.h"
#include "renderer/Skybox.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

std::unique_ptr<Material> bound(const char* name, uint8_t mode, uint8_t referenceEdge = 0) {
    auto m = std::make_unique<Material>(name);
    m->mapping = mode;
    m->referenceEdge = referenceEdge;
    return m;
}

}  // namespace

TEST_F(GlTest, DemoSceneWithDataSetMaterials) {
    if (!std::filesystem::exists("../data/Brick1.3DS") || !std::filesystem::exists("../data/Bitmaps/brick1.jpg"))
        GTEST_SKIP() << "no data set";
    ASSERT_TRUE(gl().resize(320, 240));
    gl().setProjection(makeProjection(320, 240, 1, 1000));
    lookAt({-24, 12, -44}, {2, 0, 0});
    gl().setLight({-58, -69, 114});

    NoiseSource noise;
    noise.initNoise(2, 5);
    noise.height = 3;
    noise.roughness = 0.5f;
    Terrain ground(&noise);
    const float base = ground.height(0, 0);

    auto land = bound("Land1", mapping::kHorizontal);
    auto road = bound("Road_slate", mapping::kHorizontal | mapping::kRotated);
    auto brick = bound("Brick1", mapping::kVertical, 1);
    auto lime = bound("Lime_ochre", mapping::kVertical, 1);
    auto limeBlue = bound("Lime_blue", mapping::kVertical, 1);
    auto roof = bound("Ceramic1", mapping::kRotated, 0);
    auto slate = bound("Slate1", mapping::kRotated, 0);
    auto wood = bound("Woodplanks1", mapping::kHorizontal | mapping::kOblique, 0);
    auto car = bound("Car1", mapping::kAuto);
    auto lampMaterial = bound("Street_lamp1", mapping::kAuto);
    ASSERT_TRUE(brick->bound());

    Skybox sky;
    sky.build(gl());
    gl().beginFrame();
    sky.draw(gl());
    // Ground in three pieces sharing their edges: a road strip between a
    // plain piece and a concave one (triangulated rather than fanned).
    gl().terrainPolygon(rectangle(-60, -60, 60, -14), &ground, -20, land.get());
    gl().terrainPolygon(rectangle(-60, -14, 60, -6), &ground, -20, road.get());
    gl().terrainPolygon(makePoly({{-60, -6}, {-60, 60}, {0, 40}, {60, 60}, {60, -6}}), &ground, -20, land.get());

    auto house = [&](float x0, float z0, float x1, float z1, float height, Material* walls, Material* tiles) {
        Extrusion e;
        e.level = base - 2;
        e.height = height + 2;
        gl().extrudedPolygon(rectangle(x0, z0, x1, z1), e, walls, 0);
        // A gable roof of two quads meeting at a ridge along x.
        const float top = base + height, ridge = top + 3, mid = (z0 + z1) / 2;
        const float southHeights[4] = {top, ridge, ridge, top};
        const float northHeights[4] = {ridge, top, top, ridge};
        gl().roofQuad(makePoly({{x0 - 0.4f, z0 - 0.4f}, {x0 - 0.4f, mid}, {x1 + 0.4f, mid}, {x1 + 0.4f, z0 - 0.4f}}),
                      southHeights, -0.05f, tiles);
        gl().roofQuad(makePoly({{x0 - 0.4f, mid}, {x0 - 0.4f, z1 + 0.4f}, {x1 + 0.4f, z1 + 0.4f}, {x1 + 0.4f, mid}}),
                      northHeights, -0.05f, tiles);
    };
    house(-16, 0, -4, 10, 8, brick.get(), roof.get());
    house(0, 2, 8, 12, 11, lime.get(), slate.get());
    house(11, 0, 20, 9, 6, limeBlue.get(), roof.get());

    // A wooden deck with a hole (slab) and a sloping panel beside it.
    ClipPolygon deck;
    deck.add(rectangle(-16, -4, -6, -1), false);
    Poly hole = rectangle(-13, -3, -11, -2);
    std::reverse(hole.points().begin(), hole.points().end());
    deck.add(hole, true);
    Extrusion slab;
    slab.level = base + 0.2f;
    slab.height = 0.3f;
    gl().slabPolygon(deck, slab, wood.get());
    Extrusion from, to;
    from.level = to.level = base;
    from.height = 0.5f;
    to.height = 3;
    Poly panel = rectangle(-4, -4, 6, -3.7f);
    panel[0].limit = 3;
    gl().slopedPanel(panel, from, to, brick.get());

    // Two cars and a lamp on the road.
    const Model* carModel = bindModel("Car1");
    const Model* lamp = bindModel("Street_lamp1");
    const float factors[2] = {1, 1};
    Matrix44 at = Matrix44::translation(-8, ground.height(-8, -10), -10) * Matrix44::rotationY(0.3f);
    gl().placeModel(carModel, at, factors, car.get());
    at = Matrix44::translation(4, ground.height(4, -9), -9);
    gl().placeModel(carModel, at, factors, car.get());
    at = Matrix44::translation(2, ground.height(2, -5), -5);
    gl().placeModel(lamp, at, factors, lampMaterial.get());

    // The street graph along the road.
    Graph graph;
    GraphNode* previous = nullptr;
    for (float x = -40; x <= 40; x += 10) {
        GraphNode* node = graph.addNode(Vector(x, ground.height(x, -10) + 0.1f, -10), false);
        addEdge(previous, node);
        previous = node;
    }
    gl().drawGraph(graph);
    gl().endFrame();

    EXPECT_GE(gl().textureCache().size(), 6);
    EXPECT_NE(carModel, nullptr);
    const Frame f = grab();
    ASSERT_TRUE(gl().savePng("renderer_demo.png"));
    unbindModel(carModel);
    unbindModel(lamp);

    ImageDecoder decoder;
    ImageDecoder::Image image;
    ASSERT_TRUE(decoder.decode("renderer_demo.png", image)) << decoder.error();
    EXPECT_EQ(image.width, 320);
    EXPECT_EQ(image.height, 240);
    // The sky at the top, no unlit background anywhere.
    int black = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            black += f.at(x, y).black();
    EXPECT_EQ(black, 0);
}
