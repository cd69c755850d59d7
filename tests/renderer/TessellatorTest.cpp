// Tessellation on the CPU: the prism's counts and layout, which side of each
// face is seen and lit, the planar texture mappings and the fan test.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/Material.h"
#include "core/Poly.h"
#include "renderer/Tessellator.h"

namespace {

Poly makePoly(std::initializer_list<std::pair<float, float>> points) {
    Poly poly;
    for (auto [x, y] : points)
        poly.append({x, y, 0});
    return poly;
}

// Positively oriented (area2 > 0) in this system's convention.
//   (0,2) +----+ (2,2)
//         |    |
//   (0,0) +----+ (2,0)
Poly square() { return makePoly({{0, 0}, {0, 2}, {2, 2}, {2, 0}}); }
Poly triangle() { return makePoly({{0, 0}, {0, 1}, {1, 0}}); }

Vector position(const Vertex& v) { return {v.x, v.y, v.z}; }
Vector normal(const Vertex& v) { return {v.nx, v.ny, v.nz}; }

Tessellator prism(const Poly& poly, float low, float high) {
    std::vector<float> bottom(poly.count(), low), top(poly.count(), high);
    Tessellator b;
    b.addPrism(poly, bottom.data(), top.data());
    return b;
}

// The screen-facing side of a triangle (counter-clockwise seen from it) is
// opposite to the right-handed cross product of its edges.
Vector seenFrom(const Tessellator& b, int t) {
    const Vector p0 = position(b.vertices[b.indices[3 * t]]);
    const Vector p1 = position(b.vertices[b.indices[3 * t + 1]]);
    const Vector p2 = position(b.vertices[b.indices[3 * t + 2]]);
    return (p1 - p0).cross(p2 - p0) * -1.0f;
}

}  // namespace

TEST(Prism, OfATriangleHas18VerticesAnd8Triangles) {
    ASSERT_GT(triangle().area2(), 0);
    const Tessellator b = prism(triangle(), 0, 3);
    EXPECT_EQ(b.vertexCount(), 18);
    EXPECT_EQ(b.triangleCount(), 8);
}

TEST(Prism, CountsAre6nAnd4nMinus4) {
    const Poly hexagon = makePoly({{0, 0}, {-1, 1}, {0, 2}, {2, 2}, {3, 1}, {2, 0}});
    ASSERT_GT(hexagon.area2(), 0);
    const Tessellator b = prism(hexagon, 1, 4);
    EXPECT_EQ(b.vertexCount(), 36);
    EXPECT_EQ(b.triangleCount(), 20);
}

TEST(Prism, RingsAndCopiesAreLaidOutInOrder) {
    const Poly poly = square();
    const Tessellator b = prism(poly, 1, 4);
    const int n = 4;
    for (int copy = 0; copy < 3; ++copy)
        for (int i = 0; i < n; ++i) {
            const Vertex& low = b.vertices[copy * 2 * n + i];
            const Vertex& high = b.vertices[copy * 2 * n + n + i];
            EXPECT_EQ(low.x, poly[i].x);
            EXPECT_EQ(low.z, poly[i].y);
            EXPECT_EQ(low.y, 1);
            EXPECT_EQ(high.y, 4);
        }
    // Caps use only the first two rings, sides only the copies.
    for (int t = 0; t < 2 * (n - 2); ++t)
        for (int k = 0; k < 3; ++k)
            EXPECT_LT(b.indices[3 * t + k], 2 * n);
    for (int t = 2 * (n - 2); t < b.triangleCount(); ++t)
        for (int k = 0; k < 3; ++k)
            EXPECT_GE(b.indices[3 * t + k], 2 * n);
}

TEST(Prism, NoTwoSideFacesShareAVertex) {
    const Tessellator b = prism(square(), 0, 2);
    std::vector<int> owner(b.vertexCount(), -1);
    const int firstSide = 2 * (4 - 2);
    for (int t = firstSide; t < b.triangleCount(); ++t) {
        const int face = (t - firstSide) / 2;
        for (int k = 0; k < 3; ++k) {
            int& o = owner[b.indices[3 * t + k]];
            EXPECT_TRUE(o == -1 || o == face) << "vertex shared by faces " << o << " and " << face;
            o = face;
        }
    }
}

TEST(Prism, EveryFaceIsSeenAndLitFromOutside) {
    const Tessellator b = prism(square(), 0, 2);
    const Vector centre(1, 1, 1);
    for (int t = 0; t < b.triangleCount(); ++t) {
        const Vector p0 = position(b.vertices[b.indices[3 * t]]);
        const Vector n = normal(b.vertices[b.indices[3 * t]]);
        EXPECT_NEAR(n.length(), 1.0f, 1e-5f);
        EXPECT_GT(n.dot(p0 - centre), 0) << "triangle " << t << " lit from inside";
        EXPECT_GT(seenFrom(b, t).dot(n), 0) << "triangle " << t << " seen from inside";
    }
    // Bottom cap first, facing down; top cap next, facing up.
    EXPECT_FLOAT_EQ(b.vertices[b.indices[0]].ny, -1);
    EXPECT_FLOAT_EQ(b.vertices[b.indices[3 * 2]].ny, 1);
}

TEST(Surface, FacesUpOrDownWhateverTheTriangleOrder) {
    const std::vector<Vec2> points = {{0, 0}, {0, 1}, {1, 0}};
    for (const std::vector<int>& order : {std::vector<int>{0, 1, 2}, std::vector<int>{0, 2, 1}}) {
        for (bool up : {true, false}) {
            Tessellator b;
            b.addSurface(points, {0, 0, 0}, order, up);
            ASSERT_EQ(b.triangleCount(), 1);
            EXPECT_FLOAT_EQ(b.vertices[0].ny, up ? 1.0f : -1.0f);
            EXPECT_GT(seenFrom(b, 0).y * (up ? 1 : -1), 0);
        }
    }
}

TEST(Sides, FaceTheLeftOfTravelAndReachFromBottomToTop) {
    Tessellator b;
    // One edge running along +y of the plane (world +z): its outside is -x.
    b.addSides({{0, 0}, {0, 4}}, {-2, -3}, {1, 1});
    ASSERT_EQ(b.vertexCount(), 8);
    ASSERT_EQ(b.triangleCount(), 4);
    EXPECT_FLOAT_EQ(b.vertices[b.indices[0]].nx, -1);
    EXPECT_LT(seenFrom(b, 0).x, 0);
    EXPECT_FLOAT_EQ(b.vertices[0].y, -2);
    EXPECT_FLOAT_EQ(b.vertices[1].y, 1);
}

TEST(ReferenceEdge, IndexAtOrBeyondTheLastPointGivesTheClosingEdge) {
    const Poly poly = square();
    EXPECT_EQ(referenceEdge(poly, 0), Vec2(0, 2));
    EXPECT_EQ(referenceEdge(poly, 2), Vec2(0, -2));
    EXPECT_EQ(referenceEdge(poly, 3), Vec2(-2, 0));
    EXPECT_EQ(referenceEdge(poly, 7), Vec2(-2, 0));
}

TEST(TextureMatrix, VerticalRunsAlongTheEdgeAndUpTheWall) {
    const TextureMatrix t = TextureMatrix::planar(mapping::kVertical, {3, 4}, 0.25f, 0.5f, 0.5f);
    const Vec2 origin = t.apply({0, 0, 0});
    EXPECT_FLOAT_EQ(origin.x, 0.25f);
    EXPECT_FLOAT_EQ(origin.y, 0.5f);
    const Vec2 along = t.apply({0.6f, 0, 0.8f});  // one metre along the edge
    EXPECT_NEAR(along.x - origin.x, 0.5f, 1e-6f);
    EXPECT_NEAR(along.y - origin.y, 0, 1e-6f);
    const Vec2 up = t.apply({0, 2, 0});
    EXPECT_NEAR(up.x - origin.x, 0, 1e-6f);
    EXPECT_NEAR(std::fabs(up.y - origin.y), 1.0f, 1e-6f);
}

TEST(TextureMatrix, HorizontalLiesOnTheGround) {
    const TextureMatrix t = TextureMatrix::planar(mapping::kHorizontal, {1, 0}, 0, 0, 1);
    EXPECT_NEAR(t.apply({0, 5, 0}).x, 0, 1e-6f);  // height does not move it
    EXPECT_NEAR(t.apply({0, 5, 0}).y, 0, 1e-6f);
    EXPECT_NEAR(t.apply({2, 0, 0}).y, 2, 1e-6f);  // v along the edge
    EXPECT_NEAR(t.apply({0, 0, 3}).x, 3, 1e-6f);  // u along its normal (-dy, dx)
}

TEST(TextureMatrix, RotatedExchangesTheAxes) {
    const TextureMatrix plain = TextureMatrix::planar(mapping::kHorizontal, {1, 2}, 0, 0, 1);
    const TextureMatrix rotated = TextureMatrix::planar(mapping::kHorizontal | mapping::kRotated, {1, 2}, 0, 0, 1);
    for (const Vector& p : {Vector(1, 0, 0), Vector(0, 0, 1), Vector(2, 1, -3)}) {
        EXPECT_NEAR(plain.apply(p).x, rotated.apply(p).y, 1e-6f);
        EXPECT_NEAR(plain.apply(p).y, rotated.apply(p).x, 1e-6f);
    }
}

TEST(TextureMatrix, ObliqueTexturesBothFacesOfACorner) {
    // Along the edge and across it, vertical oblique advances u by one repeat a metre.
    const TextureMatrix t =
        TextureMatrix::planar(mapping::kVertical | mapping::kOblique, {1, 0}, 0, 0, 1);
    EXPECT_NEAR(t.apply({1, 0, 0}).x, 1, 1e-5f);
    EXPECT_NEAR(std::fabs(t.apply({0, 0, 1}).x), 1, 1e-5f);
    // Horizontal oblique: v rises with height as well as across the edge.
    const TextureMatrix h =
        TextureMatrix::planar(mapping::kHorizontal | mapping::kOblique, {1, 0}, 0, 0, 1);
    EXPECT_NEAR(h.apply({1, 0, 0}).x, 1, 1e-5f);
    EXPECT_NEAR(std::fabs(h.apply({0, 1, 0}).y), 1, 1e-5f);
    EXPECT_NEAR(std::fabs(h.apply({0, 0, 1}).y), 1, 1e-5f);
}

TEST(FanConvex, FewerThanFivePointsAlwaysCount) {
    EXPECT_TRUE(isFanConvex(square()));
    // A dart of four points is still fanned.
    EXPECT_TRUE(isFanConvex(makePoly({{0, 0}, {1, 3}, {2, 0}, {1, 1}})));
}

TEST(FanConvex, AnLShapeIsNot) {
    //  (0,2) +--+ (1,2)
    //        |  +-----+ (2,1)
    //  (0,0) +--------+ (2,0)
    const Poly l = makePoly({{0, 0}, {0, 2}, {1, 2}, {1, 1}, {2, 1}, {2, 0}});
    ASSERT_GT(l.area2(), 0);
    EXPECT_FALSE(isFanConvex(l));
    const Poly hexagon = makePoly({{0, 0}, {-1, 1}, {0, 2}, {2, 2}, {3, 1}, {2, 0}});
    EXPECT_TRUE(isFanConvex(hexagon));
}

TEST(FanTriangles, RunFromTheFirstPoint) {
    EXPECT_EQ(fanTriangles(5), (std::vector<int>{0, 1, 2, 0, 2, 3, 0, 3, 4}));
    EXPECT_TRUE(fanTriangles(2).empty());
}

TEST(Triangulation, AnLShapeCoversItsArea) {
    const Poly l = makePoly({{0, 0}, {0, 2}, {1, 2}, {1, 1}, {2, 1}, {2, 0}});
    std::vector<Vec2> points;
    std::vector<int> triangles;
    flattenTriangulation(l, points, triangles);
    ASSERT_EQ(triangles.size() % 3, 0u);
    float area = 0;
    for (size_t t = 0; t < triangles.size(); t += 3)
        area += std::fabs((points[triangles[t + 1]] - points[triangles[t]])
                              .cross(points[triangles[t + 2]] - points[triangles[t]])) / 2;
    EXPECT_NEAR(area, 3.0f, 1e-4f);
}
