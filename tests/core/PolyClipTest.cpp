#include "core/PolyClip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

Poly rect(float x0, float y0, float x1, float y1, std::initializer_list<int> limits = {0, 0, 0, 0}) {
    // Positive orientation: up the left side, along the top, down the right.
    const float xs[4] = {x0, x0, x1, x1};
    const float ys[4] = {y0, y1, y1, y0};
    Poly p;
    int i = 0;
    for (int limit : limits) {
        Point q;
        q.x = xs[i];
        q.y = ys[i];
        q.limit = static_cast<uint8_t>(limit);
        p.append(q);
        ++i;
    }
    return p;
}

ClipPolygon single(const Poly& p) {
    ClipPolygon c;
    c.add(p, false);
    return c;
}

double triangleArea(const Triangulation& t, int i) {
    const Vec2& a = t.vertices[t.triangles[3 * i]];
    const Vec2& b = t.vertices[t.triangles[3 * i + 1]];
    const Vec2& c = t.vertices[t.triangles[3 * i + 2]];
    Poly p;
    for (const Vec2& v : {a, b, c}) {
        Point q;
        q.x = v.x;
        q.y = v.y;
        p.append(q);
    }
    return p.area2() / 2.0;
}

// Every edge of contour must lie on an edge of one of the references and
// carry that edge's limit.
void expectLimitsFromReferences(const Poly& contour, const Poly& r1, const Poly& r2) {
    for (int i = 0; i < contour.count(); ++i) {
        const Segment e = contour.edge(i);
        int found = -1;
        for (const Poly* r : {&r1, &r2})
            for (int k = 0; k < r->count() && found < 0; ++k) {
                const Segment re = r->edge(k);
                if (std::fabs(re.signedDistance(e.start())) < 1e-3f && std::fabs(re.signedDistance(e.end())) < 1e-3f)
                    found = re.limit;
            }
        EXPECT_GE(found, 0) << "edge " << i << " lies on no input edge";
        EXPECT_EQ(contour[i].limit, found) << "edge " << i;
    }
}

}  // namespace

TEST(PolyClip, SquareMinusSquareLeavesAHole) {
    //  +---------------+
    //  |    +-----+    |   100 x 100 minus 20 x 20 in the middle
    //  |    |     |    |
    //  |    +-----+    |
    //  +---------------+
    const Poly outer = rect(0, 0, 100, 100, {1, 2, 3, 4});
    const Poly inner = rect(40, 40, 60, 60, {5, 6, 7, 8});
    const ClipPolygon r = clipPolygons(ClipOp::Difference, single(outer), single(inner), &outer, &inner);
    ASSERT_EQ(r.contours.size(), 2u);
    ASSERT_EQ(r.holes.size(), 2u);
    int outers = 0, holes = 0;
    double area = 0;
    for (size_t i = 0; i < r.contours.size(); ++i) {
        const Poly& c = r.contours[i];
        EXPECT_EQ(c.count(), 4);
        if (r.holes[i]) {
            ++holes;
            EXPECT_LT(c.area2(), 0);
            EXPECT_FLOAT_EQ(c.area(), 400);
            area -= c.area();
        } else {
            ++outers;
            EXPECT_GT(c.area2(), 0);
            EXPECT_FLOAT_EQ(c.area(), 10000);
            area += c.area();
        }
        expectLimitsFromReferences(c, outer, inner);
    }
    EXPECT_EQ(outers, 1);
    EXPECT_EQ(holes, 1);
    EXPECT_DOUBLE_EQ(area, 9600);
}

TEST(PolyClip, IntersectionKeepsLimitsOfBothInputs) {
    const Poly a = rect(0, 0, 10, 10, {1, 2, 3, 4});
    const Poly b = rect(5, 5, 15, 15, {5, 6, 7, 8});
    const ClipPolygon r = clipPolygons(ClipOp::Intersection, single(a), single(b), &a, &b);
    ASSERT_EQ(r.contours.size(), 1u);
    EXPECT_FALSE(r.holes[0]);
    const Poly& c = r.contours[0];
    ASSERT_EQ(c.count(), 4);
    EXPECT_FLOAT_EQ(c.area(), 25);
    EXPECT_GT(c.area2(), 0);
    expectLimitsFromReferences(c, a, b);
    // The two sides from a (top 2, right 3) and the two from b (left 5, bottom 8).
    int seen[9] = {};
    for (int i = 0; i < 4; ++i)
        ++seen[c[i].limit];
    EXPECT_EQ(seen[2] + seen[3] + seen[5] + seen[8], 4);
    EXPECT_EQ(seen[2], 1);
    EXPECT_EQ(seen[5], 1);
    // Without references every limit is 0.
    const ClipPolygon bare = clipPolygons(ClipOp::Intersection, single(a), single(b));
    ASSERT_EQ(bare.contours.size(), 1u);
    for (const Point& p : bare.contours[0].points())
        EXPECT_EQ(p.limit, 0);
}

TEST(PolyClip, UnchangedVerticesComeBackExactFarFromTheOrigin) {
    const Poly a = rect(2000.3f, 1500.7f, 2010.1f, 1510.9f);
    const Poly b = rect(2005.13f, 1400, 2100, 1505.37f);
    const ClipPolygon r = clipPolygons(ClipOp::Difference, single(a), single(b), &a, &b);
    ASSERT_EQ(r.contours.size(), 1u);
    const Poly& c = r.contours[0];
    ASSERT_EQ(c.count(), 6);  // an L
    int exact = 0;
    for (const Point& p : c.points())
        for (const Poly* in : {&a, &b})
            for (const Point& q : in->points())
                if (p.x == q.x && p.y == q.y)
                    ++exact;
    EXPECT_EQ(exact, 4);  // a's three untouched corners and b's corner inside a
    EXPECT_NEAR(c.area(), 9.8f * 10.2f - 4.97f * 4.67f, 0.01f);
}

TEST(PolyClip, UnionAndXor) {
    const Poly a = rect(0, 0, 10, 10);
    const Poly b = rect(20, 0, 30, 10);
    EXPECT_EQ(clipPolygons(ClipOp::Union, single(a), single(b)).contours.size(), 2u);
    const Poly c = rect(5, 0, 15, 10);
    const ClipPolygon u = clipPolygons(ClipOp::Union, single(a), single(c));
    ASSERT_EQ(u.contours.size(), 1u);
    EXPECT_FLOAT_EQ(u.contours[0].area(), 150);
    const ClipPolygon x = clipPolygons(ClipOp::Xor, single(a), single(c));
    double area = 0;
    for (const Poly& p : x.contours)
        area += p.area();
    EXPECT_DOUBLE_EQ(area, 100);
}

TEST(PolyClip, EmptyAndDegenerateInputsGiveEmptyResults) {
    const Poly a = rect(0, 0, 10, 10);
    EXPECT_TRUE(clipPolygons(ClipOp::Intersection, ClipPolygon(), single(a)).contours.empty());
    EXPECT_TRUE(clipPolygons(ClipOp::Difference, ClipPolygon(), ClipPolygon()).contours.empty());
    Poly two;
    two.append(Point{});
    two.append(Point{5, 5, 0});
    EXPECT_TRUE(clipPolygons(ClipOp::Intersection, single(two), single(a)).contours.empty());
    Poly broken = rect(0, 0, 1, 1);
    broken[1].x = std::nanf("");
    EXPECT_TRUE(clipPolygons(ClipOp::Intersection, single(broken), single(a)).contours.empty());
    // Disjoint inputs.
    EXPECT_TRUE(clipPolygons(ClipOp::Intersection, single(a), single(rect(20, 20, 30, 30))).contours.empty());
}

TEST(PolyTriangulate, SquareGivesFourVerticesAndTwoTriangles) {
    const Triangulation t = triangulate(rect(0, 0, 10, 10));
    EXPECT_EQ(t.vertexCount(), 4);
    ASSERT_EQ(t.vertices.size(), 5u);
    EXPECT_EQ(t.vertices[1], Vec2(0, 0));
    EXPECT_EQ(t.vertices[4], Vec2(10, 0));
    ASSERT_EQ(t.triangleCount(), 2);
    bool used[5] = {};
    double area = 0;
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 3; ++k) {
            const int v = t.triangles[3 * i + k];
            ASSERT_GE(v, 1);
            ASSERT_LE(v, 4);
            used[v] = true;
        }
        EXPECT_GT(triangleArea(t, i), 0) << "triangle " << i << " turns the wrong way";
        area += triangleArea(t, i);
    }
    EXPECT_TRUE(used[1] && used[2] && used[3] && used[4]);
    EXPECT_DOUBLE_EQ(area, 100);
}

TEST(PolyTriangulate, HoleIsLeftOut) {
    ClipPolygon p;
    p.add(rect(0, 0, 100, 100), false);
    Poly hole = rect(40, 40, 60, 60);
    p.add(hole, true);
    const Triangulation t = triangulate(p);
    EXPECT_EQ(t.vertexCount(), 8);
    ASSERT_GE(t.triangleCount(), 8);
    double area = 0;
    for (int i = 0; i < t.triangleCount(); ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_GE(t.triangles[3 * i + k], 1);
            EXPECT_LE(t.triangles[3 * i + k], t.vertexCount());
        }
        const double a = triangleArea(t, i);
        EXPECT_GE(a, 0);
        area += a;
        // No triangle covers the hole's centre.
        const Vec2& v0 = t.vertices[t.triangles[3 * i]];
        const Vec2& v1 = t.vertices[t.triangles[3 * i + 1]];
        const Vec2& v2 = t.vertices[t.triangles[3 * i + 2]];
        Poly tri;
        for (const Vec2& v : {v0, v1, v2})
            tri.append(Point{v.x, v.y, 0});
        EXPECT_FALSE(tri.containsPoint(50, 50));
    }
    EXPECT_NEAR(area, 9600, 1e-6);
}

TEST(PolyTriangulate, ConcaveAndEmpty) {
    Poly l;
    for (const Vec2& v : {Vec2(0, 0), Vec2(0, 20), Vec2(20, 20), Vec2(20, 10), Vec2(10, 10), Vec2(10, 0)})
        l.append(Point{v.x, v.y, 0});
    const Triangulation t = triangulate(l);
    EXPECT_EQ(t.vertexCount(), 6);
    EXPECT_EQ(t.triangleCount(), 4);
    double area = 0;
    for (int i = 0; i < t.triangleCount(); ++i)
        area += triangleArea(t, i);
    EXPECT_NEAR(area, 300, 1e-6);

    const Triangulation none = triangulate(Poly());
    EXPECT_EQ(none.vertexCount(), 0);
    EXPECT_EQ(none.triangleCount(), 0);
    // A self-crossing quadrilateral gets the crossing point added.
    Poly bowTie;
    for (const Vec2& v : {Vec2(0, 0), Vec2(10, 10), Vec2(10, 0), Vec2(0, 10)})
        bowTie.append(Point{v.x, v.y, 0});
    const Triangulation b = triangulate(bowTie);
    EXPECT_EQ(b.vertexCount(), 5);
    EXPECT_EQ(b.vertices[5], Vec2(5, 5));
    EXPECT_EQ(b.triangleCount(), 2);
}

TEST(PolyClip, StraightPointsWhereLimitsChangeSurvive) {
    // The bottom edge is split at (5,0) into limits 4 and 7.
    Poly a;
    for (const Point& p : {Point{0, 0, 1}, Point{0, 10, 2}, Point{10, 10, 3}, Point{10, 0, 4}, Point{5, 0, 7}})
        a.append(p);
    const Poly b = rect(-5, -5, 20, 8);
    const ClipPolygon r = clipPolygons(ClipOp::Intersection, single(a), single(b), &a);
    ASSERT_EQ(r.contours.size(), 1u);
    const Poly& c = r.contours[0];
    ASSERT_EQ(c.count(), 5);
    int bottom = 0;
    for (int i = 0; i < c.count(); ++i) {
        const Segment e = c.edge(i);
        if (e.y0 == 0 && e.y1 == 0) {
            ++bottom;
            EXPECT_EQ(e.limit, e.x0 > 5 ? 4 : 7);
        }
    }
    EXPECT_EQ(bottom, 2);
}
