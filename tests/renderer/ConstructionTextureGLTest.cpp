// Walls and floors grown by the construction leaves, rendered: their
// textures show, and neighbouring panels of one building continue one
// texture layout across their joint.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/RandomGenerator.h"
#include "tests/renderer/GlTestSupport.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinPanelSimple.h"

using namespace gltest;

namespace {

struct Box {
    int x0, y0, x1, y1;
};

// Variance of the grey values inside the box.
double variance(const Frame& f, const Box& b) {
    double sum = 0, sum2 = 0;
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            const double g = f.at(x, y).grey();
            sum += g;
            sum2 += g * g;
            ++n;
        }
    if (n == 0)
        return 0;
    const double mean = sum / n;
    return sum2 / n - mean * mean;
}

double mean(const Frame& f, const Box& b) {
    double sum = 0;
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            sum += f.at(x, y).grey();
            ++n;
        }
    return n ? sum / n : 0;
}

// The screen box of the world points, shrunk by a margin of 3 pixels.
Box inner(std::initializer_list<Vector> corners) {
    Box b{kSize, kSize, 0, 0};
    for (const Vector& c : corners) {
        const Pixel p = project(c);
        b.x0 = std::min(b.x0, p.x);
        b.y0 = std::min(b.y0, p.y);
        b.x1 = std::max(b.x1, p.x);
        b.y1 = std::max(b.y1, p.y);
    }
    b.x0 = std::max(b.x0 + 3, 0);
    b.y0 = std::max(b.y0 + 3, 0);
    b.x1 = std::min(b.x1 - 3, kSize);
    b.y1 = std::min(b.y1 - 3, kSize);
    return b;
}

// The one drawable a leaf generated.
DrawablePolyExtruded* prismOf(Desc& leaf) {
    RandomGenerator::generation().seed(static_cast<int32_t>(leaf.seed));
    leaf.generate();
    return leaf.childCount() == 1 ? dynamic_cast<DrawablePolyExtruded*>(leaf.child(0)) : nullptr;
}

bool haveData() {
    return std::filesystem::exists("../data/Brick1.3DS") && std::filesystem::exists("../data/Floortile1.3DS");
}

}  // namespace

TEST_F(GlTest, GrownWallAndTiledFloorShowTheirTextures) {
    ASSERT_TRUE(haveData()) << "the data directory is missing";
    TypConSlabSimple building(rectangle(0, 0, 20, 20), Extrusion{0, 10}, nullptr, 4242, "Brick1");
    TypLinPanelSimple wall(Line(-3, 0, 3, 0, 0.3f), Extrusion{-1.5f, 3}, &building, 7, "Brick1");
    DrawablePolyExtruded* prism = prismOf(wall);
    ASSERT_NE(prism, nullptr);
    ASSERT_NE(prism->material->mapping, 0);

    // Seen from the front, the right long side faces the camera (lit head on).
    gl().setLight({0, 0, 1});
    const Box face = inner({{-3, -1.5f, -0.15f}, {3, 1.5f, -0.15f}});
    ASSERT_GT(face.x1 - face.x0, 20);
    ASSERT_GT(face.y1 - face.y0, 10);
    gl().beginFrame();
    prism->draw(gl());
    gl().endFrame();
    const Frame textured = grab();
    // The same wall in the same material without a planar mapping: one flat colour.
    const uint8_t mode = prism->material->mapping;
    prism->material->mapping = 0;
    gl().beginFrame();
    prism->draw(gl());
    gl().endFrame();
    const Frame flat = grab();
    prism->material->mapping = mode;
    const double texturedVariance = variance(textured, face), flatVariance = variance(flat, face);
    std::cout << "[ wall     ] grey variance textured " << texturedVariance << ", flat " << flatVariance
              << ", mean " << mean(textured, face) << "\n";
    EXPECT_GT(mean(textured, face), 10.0);
    EXPECT_GT(texturedVariance, 20.0);
    EXPECT_GT(texturedVariance, 10 * (flatVariance + 1));

    // A tiled floor seen from above.
    TypConFloorTiled floor(rectangle(-3, -3, 3, 3), Extrusion{0, 0.05f}, &building, 8, "Floortile1");
    DrawablePolyExtruded* tiles = prismOf(floor);
    ASSERT_NE(tiles, nullptr);
    lookAt({0, 10, 0}, {0, 0, 0}, {0, 0, 1});
    gl().setLight({0, -1, 0});
    const Box top = inner({{-3, 0.05f, -3}, {3, 0.05f, 3}});
    ASSERT_GT(top.x1 - top.x0, 20);
    gl().beginFrame();
    tiles->draw(gl());
    gl().endFrame();
    const Frame tiled = grab();
    tiles->material->mapping = 0;
    gl().beginFrame();
    tiles->draw(gl());
    gl().endFrame();
    const Frame plain = grab();
    const double tiledVariance = variance(tiled, top), plainVariance = variance(plain, top);
    std::cout << "[ floor    ] grey variance textured " << tiledVariance << ", flat " << plainVariance << ", mean "
              << mean(tiled, top) << "\n";
    EXPECT_GT(mean(tiled, top), 10.0);
    EXPECT_GT(tiledVariance, 20.0);
    EXPECT_GT(tiledVariance, 10 * (plainVariance + 1));
}

TEST_F(GlTest, NeighbouringPanelsOfOneBuildingContinueOneTexture) {
    ASSERT_TRUE(haveData()) << "the data directory is missing";
    TypConSlabSimple building(rectangle(0, 0, 20, 20), Extrusion{0, 10}, nullptr, 4242, "Brick1");
    TypLinPanelSimple left(Line(-3, 0, 0, 0, 0.3f), Extrusion{-1.5f, 3}, &building, 11, "Brick1");
    TypLinPanelSimple right(Line(0, 0, 3, 0, 0.3f), Extrusion{-1.5f, 3}, &building, 12, "Brick1");
    TypLinPanelSimple whole(Line(-3, 0, 3, 0, 0.3f), Extrusion{-1.5f, 3}, &building, 13, "Brick1");
    DrawablePolyExtruded *a = prismOf(left), *b = prismOf(right), *c = prismOf(whole);
    ASSERT_TRUE(a && b && c);
    gl().setLight({0, 0, 1});
    const Box face = inner({{-3, -1.5f, -0.15f}, {3, 1.5f, -0.15f}});
    gl().beginFrame();
    a->draw(gl());
    b->draw(gl());
    gl().endFrame();
    const Frame two = grab();
    gl().beginFrame();
    c->draw(gl());
    gl().endFrame();
    const Frame one = grab();
    // Two panels side by side look like one panel over both lines: the
    // texture runs on across the joint.
    int differing = 0, pixels = 0;
    for (int y = face.y0; y < face.y1; ++y)
        for (int x = face.x0; x < face.x1; ++x) {
            ++pixels;
            differing += std::abs(two.at(x, y).grey() - one.at(x, y).grey()) > 8;
        }
    std::cout << "[ joint    ] " << differing << " of " << pixels << " pixels differ\n";
    ASSERT_GT(pixels, 200);
    EXPECT_LT(differing, pixels / 50);
    ASSERT_GT(variance(one, face), 20.0);  // there is a texture to line up
}
