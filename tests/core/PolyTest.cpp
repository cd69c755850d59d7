#include "core/Poly.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include "core/Assert.h"

namespace {

struct P {
    float x, y;
    int limit = 0;
};

Poly makePoly(std::initializer_list<P> pts) {
    Poly poly;
    for (const P& p : pts) {
        Point q;
        q.x = p.x;
        q.y = p.y;
        q.limit = static_cast<uint8_t>(p.limit);
        poly.append(q);
    }
    return poly;
}

Segment seg(float x0, float y0, float x1, float y1, uint8_t limit = 0) {
    Segment s;
    s.x0 = x0;
    s.y0 = y0;
    s.x1 = x1;
    s.y1 = y1;
    s.limit = limit;
    return s;
}

Point pt(float x, float y, int limit = 0) {
    Point p;
    p.x = x;
    p.y = y;
    p.limit = static_cast<uint8_t>(limit);
    return p;
}

void expectPoint(const Point& p, float x, float y, int limit) {
    EXPECT_NEAR(p.x, x, 1e-4f);
    EXPECT_NEAR(p.y, y, 1e-4f);
    EXPECT_EQ(p.limit, limit);
}

// Same points within 1e-4 and the same limits, in the same order.
void expectPoly(const Poly& actual, std::initializer_list<P> expected) {
    ASSERT_EQ(actual.count(), static_cast<int>(expected.size()));
    int i = 0;
    for (const P& p : expected) {
        SCOPED_TRACE(i);
        expectPoint(actual[i++], p.x, p.y, p.limit);
    }
}

// The system's positive orientation: (0,0) -> (0,10) -> (10,10) -> (10,0).
//
//   1 ---- 2
//   |      |
//   0 ---- 3
Poly square10() { return makePoly({{0, 0, 1}, {0, 10, 2}, {10, 10, 3}, {10, 0, 4}}); }

//   1 ---------- 2
//   |            |
//   |      4 --- 3
//   |      |
//   0 ---- 5
Poly lShape() {
    return makePoly({{0, 0, 10}, {0, 20, 11}, {20, 20, 12}, {20, 10, 13}, {10, 10, 14}, {10, 0, 15}});
}

}  // namespace

// --- segment intersection ----------------------------------------------------

TEST(PolyIntersect, SharedEndPointWinsEvenWhenCollinear) {
    Vec2 out(-1, -1);
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(1, 0, 2, 0), out), 3);
    EXPECT_EQ(out, Vec2(1, 0));
    // Overlapping and collinear, sharing a's start with b's end.
    EXPECT_EQ(intersect(seg(0, 0, 2, 0), seg(1, 0, 0, 0), out), 3);
    EXPECT_EQ(out, Vec2(0, 0));
    // Within the coincidence tolerance the point returned is a's, exactly.
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(1.00005f, 0.00005f, 1.00005f, 5), out), 3);
    EXPECT_EQ(out, Vec2(1, 0));
}

TEST(PolyIntersect, ParallelGivesEightAndLeavesOutAlone) {
    Vec2 out(42, 43);
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(0, 1, 1, 1), out), kIntersectParallel);
    EXPECT_EQ(out, Vec2(42, 43));
    // Collinear but apart is parallel too.
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(2, 0, 3, 0), out), kIntersectParallel);
    // A zero-length segment has no direction.
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(5, 5, 5, 5), out), kIntersectParallel);
    EXPECT_EQ(out, Vec2(42, 43));
}

TEST(PolyIntersect, CodesTellWhichSegmentHoldsTheCrossing) {
    Vec2 out;
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), seg(5, -5, 5, 5), out), 3);
    EXPECT_NEAR(out.x, 5, 1e-6f);
    EXPECT_NEAR(out.y, 0, 1e-6f);
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(5, -1, 5, 1), out), 2);
    EXPECT_NEAR(out.x, 5, 1e-6f);
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(0.5f, 1, 0.5f, 2), out), 1);
    EXPECT_NEAR(out.x, 0.5f, 1e-6f);
    EXPECT_NEAR(out.y, 0, 1e-6f);
    EXPECT_EQ(intersect(seg(0, 0, 1, 0), seg(5, 1, 5, 2), out), 0);
    EXPECT_NEAR(out.x, 5, 1e-6f);
    EXPECT_NEAR(out.y, 0, 1e-6f);
}

TEST(PolyIntersect, JustPastTheEndSnapsToAsEndAndCountsOnA) {
    Vec2 out;
    // The lines cross at ta = 1.00005 on a.
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), seg(10.0005f, 1, 10.0005f, 3), out), 1);
    EXPECT_EQ(out, Vec2(10, 0));
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), seg(10.0005f, -1, 10.0005f, 1), out), 3);
    EXPECT_EQ(out, Vec2(10, 0));
    // Just before the start snaps to a's start.
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), seg(-0.0005f, -1, -0.0005f, 1), out), 3);
    EXPECT_EQ(out, Vec2(0, 0));
    // Farther out nothing snaps and a does not hold it.
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), seg(10.01f, -1, 10.01f, 1), out), 2);
    EXPECT_NEAR(out.x, 10.01f, 1e-5f);
}

TEST(PolyIntersect, BsSnapOverridesAs) {
    Vec2 out;
    // ta = 1.00005 snaps to a's end, tb = -0.00005 to b's start, which wins.
    const Segment b = seg(10.0005f, 0.0005f, 10.0005f, 10.0005f);
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), b, out), 3);
    EXPECT_EQ(out, b.start());
    // b's end likewise.
    const Segment c = seg(5, 10.0005f, 5, 0.0005f);
    EXPECT_EQ(intersect(seg(0, 0, 10, 0), c, out), 3);
    EXPECT_EQ(out, c.end());
}

TEST(PolySegmentsIntersect, ToleranceAndSpecialCases) {
    EXPECT_TRUE(segmentsIntersect(seg(0, 0, 10, 0), seg(5, -5, 5, 5)));
    EXPECT_TRUE(segmentsIntersect(seg(0, 0, 1, 0), seg(1, 0, 2, 0)));     // shared end, collinear
    EXPECT_TRUE(segmentsIntersect(seg(0, 0, 10, 0), seg(10.0005f, -1, 10.0005f, 1)));  // ta = 1.00005
    EXPECT_FALSE(segmentsIntersect(seg(0, 0, 10, 0), seg(10.01f, -1, 10.01f, 1)));
    EXPECT_FALSE(segmentsIntersect(seg(0, 0, 10, 0), seg(0, 1, 10, 1)));  // parallel
    EXPECT_FALSE(segmentsIntersect(seg(0, 0, 10, 0), seg(5, 1, 5, 2)));   // only a's line
}

TEST(PolySegment, OffsetDistanceAndPointAt) {
    const Segment s = seg(0, 0, 10, 0, 7);
    const Segment o = s.offset(2);
    EXPECT_EQ(o.start(), Vec2(0, 2));  // left of the direction
    EXPECT_EQ(o.end(), Vec2(10, 2));
    EXPECT_EQ(o.limit, 7);
    const Segment back = s.offset(-2);
    EXPECT_EQ(back.start(), Vec2(0, -2));
    const Segment point = seg(3, 3, 3, 3);
    EXPECT_EQ(point.offset(5).start(), Vec2(3, 3));
    EXPECT_EQ(s.offset(0).end(), Vec2(10, 0));

    EXPECT_FLOAT_EQ(s.signedDistance({5, 3}), 3);
    EXPECT_FLOAT_EQ(s.signedDistance({-50, -3}), -3);
    EXPECT_FLOAT_EQ(seg(0, 0, 0, 0).signedDistance({3, 4}), 5);

    EXPECT_EQ(s.pointAt(0.25f), Vec2(2.5f, 0));
    EXPECT_EQ(s.pointAt(1.5f), Vec2(15, 0));
}

// --- polygon basics ----------------------------------------------------------

TEST(PolyBasics, AreaSignPerimeterAndEmpty) {
    const Poly sq = square10();
    EXPECT_FLOAT_EQ(sq.area2(), 200);
    EXPECT_FLOAT_EQ(sq.area(), 100);
    EXPECT_FLOAT_EQ(sq.perimeter(), 40);
    const Poly reversed = makePoly({{10, 0}, {10, 10}, {0, 10}, {0, 0}});
    EXPECT_FLOAT_EQ(reversed.area2(), -200);
    EXPECT_FLOAT_EQ(reversed.area(), 100);
    EXPECT_FLOAT_EQ(lShape().area(), 300);
    // Far from the origin a small square keeps its exact area.
    const Poly far = makePoly({{2000, 1500}, {2000, 1501}, {2001, 1501}, {2001, 1500}});
    EXPECT_FLOAT_EQ(far.area2(), 2);
    const Poly empty;
    EXPECT_EQ(empty.area2(), 0);
    EXPECT_EQ(empty.perimeter(), 0);
}

TEST(PolyBasics, AreaOfAPolygonWithoutNumbersAsserts) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Poly broken = makePoly({{0, 0}, {nan, 1}, {1, 0}});
    try {
        (void)broken.area();
        FAIL() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), "core/Poly");
    }
}

TEST(PolyBasics, AddPointMergesWithFirstOrLast) {
    Poly p;
    p.addPoint(pt(0, 0, 1));
    p.addPoint(pt(0, 10, 2));
    p.addPoint(pt(10, 10, 3));
    // Within 1e-4 of the first point in each coordinate: only the first's limit changes.
    p.addPoint(pt(0.00005f, -0.00005f, 9));
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p[0].x, 0);
    EXPECT_EQ(p[0].y, 0);
    EXPECT_EQ(p[0].limit, 9);
    // Coinciding with the last point: the last point's limit.
    p.addPoint(pt(10.00005f, 10, 8));
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p[2].x, 10);
    EXPECT_EQ(p[2].limit, 8);
    // Slightly farther: appended.
    p.addPoint(pt(10, 0.001f, 4));
    ASSERT_EQ(p.count(), 4);
    EXPECT_EQ(p[3].limit, 4);
}

TEST(PolyBasics, OrientReversesAndMergesDuplicates) {
    Poly p = makePoly({{10, 0, 4}, {10, 10, 3}, {0, 10, 2}, {0, 0, 1}});
    p.orient();
    ASSERT_EQ(p.count(), 4);
    EXPECT_GT(p.area2(), 0);
    // The point order is reversed; each point keeps its own limit.
    expectPoint(p[0], 0, 0, 1);
    expectPoint(p[1], 0, 10, 2);
    expectPoint(p[3], 10, 0, 4);

    // Already positive: order kept, a repeated point hands its limit to the kept one.
    Poly d = makePoly({{0, 0, 1}, {0, 10, 2}, {0, 10.00005f, 6}, {10, 10, 3}, {10, 0, 4}, {0, 0, 5}});
    d.orient();
    ASSERT_EQ(d.count(), 4);
    expectPoint(d[0], 0, 0, 5);
    expectPoint(d[1], 0, 10, 6);
    expectPoint(d[2], 10, 10, 3);
    EXPECT_EQ(d, makePoly({{0, 0, 5}, {0, 10, 6}, {10, 10, 3}, {10, 0, 4}}));
}

TEST(PolyBasics, RemoveRotateEdges) {
    Poly p = square10();
    p.rotate(1);
    EXPECT_EQ(p, makePoly({{0, 10, 2}, {10, 10, 3}, {10, 0, 4}, {0, 0, 1}}));
    p.rotate(-1);
    EXPECT_EQ(p, square10());
    p.rotate(7);  // a full turn and three
    EXPECT_EQ(p[0].limit, 4);

    Poly q = square10();
    q.removeAt(1);
    EXPECT_EQ(q, makePoly({{0, 0, 1}, {10, 10, 3}, {10, 0, 4}}));
    q.removeAt(5);  // out of range: nothing
    EXPECT_EQ(q.count(), 3);

    const Poly sq = square10();
    const Segment last = sq.edge(3);
    EXPECT_EQ(last.start(), Vec2(10, 0));
    EXPECT_EQ(last.end(), Vec2(0, 0));
    EXPECT_EQ(last.limit, 4);
    const std::vector<Segment> all = sq.edges();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].start(), Vec2(0, 10));
    EXPECT_EQ(all[1].end(), Vec2(10, 10));
    EXPECT_EQ(all[1].limit, 2);
}

TEST(PolyBasics, ContainsPoint) {
    const Poly sq = square10();
    EXPECT_TRUE(sq.containsPoint(5, 5));
    EXPECT_FALSE(sq.containsPoint(15, 5));
    EXPECT_FALSE(sq.containsPoint(5, -1));
    const Poly l = lShape();
    EXPECT_TRUE(l.containsPoint(5, 5));
    EXPECT_TRUE(l.containsPoint(15, 15));
    EXPECT_FALSE(l.containsPoint(15, 5));  // the notch
    EXPECT_FALSE(Poly().containsPoint(0, 0));
}

TEST(PolyBasics, CentroidBoundsEquality) {
    const Poly sq = square10();
    EXPECT_EQ(sq.centroid(), Vec2(5, 5));
    float x0, y0, x1, y1;
    ASSERT_TRUE(lShape().bounds(x0, y0, x1, y1));
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(x1, 20);
    EXPECT_EQ(y1, 20);
    EXPECT_FALSE(Poly().bounds(x0, y0, x1, y1));
    Poly other = square10();
    EXPECT_TRUE(other == sq);
    other[2].limit = 9;
    EXPECT_FALSE(other == sq);
}

// --- validity and convexity --------------------------------------------------

TEST(PolyValidity, IsValid) {
    EXPECT_TRUE(square10().isValid(4));
    EXPECT_TRUE(square10().isValid());
    EXPECT_FALSE(square10().isValid(5));
    EXPECT_TRUE(lShape().isValid());
    // Wrong orientation.
    EXPECT_FALSE(makePoly({{10, 0}, {10, 10}, {0, 10}, {0, 0}}).isValid());
    // Bow-tie whose area2 is still positive (80): rejected for its crossing edges.
    const Poly bowTie = makePoly({{0, 0}, {0, 10}, {10, 0}, {10, 2}});
    EXPECT_GT(bowTie.area2(), 1);
    EXPECT_FALSE(bowTie.isValid(4));
    // Slivers around the degeneracy limit.
    const Poly sliver = makePoly({{0, 0}, {0, 0.0009f}, {1, 0}});
    EXPECT_NEAR(sliver.area2(), 0.0009f, 1e-7f);
    EXPECT_FALSE(sliver.isValid(3));
    EXPECT_TRUE(makePoly({{0, 0}, {0, 0.0011f}, {1, 0}}).isValid(3));
    EXPECT_FALSE(makePoly({{0, 0}, {0, 10}}).isValid(2));
    EXPECT_FALSE(Poly().isValid(0));
}

TEST(PolyValidity, Convexity) {
    EXPECT_TRUE(square10().isConvex());
    EXPECT_FALSE(lShape().isConvex());
    EXPECT_FALSE(makePoly({{10, 0}, {10, 10}, {0, 10}, {0, 0}}).isConvex());
    EXPECT_TRUE(makePoly({{10, 0}, {10, 10}, {0, 10}}).isConvex());  // fewer than 4 points
    // A straight corner fails the strict test but passes the loose one.
    const Poly straight = makePoly({{0, 0}, {0, 5}, {0, 10}, {10, 10}, {10, 0}});
    EXPECT_FALSE(straight.isConvex());
    EXPECT_TRUE(straight.isConvexLoose());
    EXPECT_FALSE(lShape().isConvexLoose());
    EXPECT_TRUE(makePoly({{10, 0}, {10, 10}, {0, 10}, {0, 0}}).isConvexLoose());  // fewer than 5 points
}

TEST(PolyValidity, SimplifyDropsShortEdgesThenStraightCorners) {
    Poly p = makePoly({{0, 0, 1}, {0, 5, 2}, {0, 10, 3}, {10, 10, 4}, {10, 0.05f, 5}, {10, 0, 6}});
    EXPECT_TRUE(p.simplify(0.1f));
    EXPECT_EQ(p, makePoly({{0, 0, 1}, {0, 10, 3}, {10, 10, 4}, {10, 0, 6}}));
    EXPECT_FALSE(p.simplify(0.1f));
    // The tip of a spike folding back on itself goes too.
    Poly spike = makePoly({{0, 0}, {0, 10}, {5, 10}, {5, 15}, {5, 12}, {10, 10}, {10, 0}});
    EXPECT_TRUE(spike.simplify(0.1f));
    EXPECT_EQ(spike, makePoly({{0, 0}, {0, 10}, {5, 10}, {5, 12}, {10, 10}, {10, 0}}));
}

// --- edges moved and insets --------------------------------------------------

TEST(PolyInset, MoveEdgeSlidesItsEndsOnTheNeighbours) {
    Poly p = square10();
    p.moveEdge(1, -2);  // the top edge, inwards
    EXPECT_EQ(p, makePoly({{0, 0, 1}, {0, 8, 2}, {10, 8, 3}, {10, 0, 4}}));
    Poly q = makePoly({{0, 0}, {0, 10}, {10, 20}, {10, 0}});
    q.moveEdge(3, -1);  // bottom edge up by one; the left and right edges are vertical
    expectPoint(q[3], 10, 1, 0);
    expectPoint(q[0], 0, 1, 0);
}

TEST(PolyInset, InsetShiftsEveryEdgeAndKeepsLimits) {
    expectPoly(square10().insetUniform(-1), {{1, 1, 1}, {1, 9, 2}, {9, 9, 3}, {9, 1, 4}});
    expectPoly(square10().inset(std::vector<float>{1, 0, 0, 0}), {{-1, 0, 1}, {-1, 10, 2}, {10, 10, 3}, {10, 0, 4}});
    EXPECT_TRUE(square10().canInset(std::vector<float>{-1, -1, -1, -1}));
    EXPECT_TRUE(square10().canInset(std::vector<float>{-4.9f, -4.9f, -4.9f, -4.9f}));
    // Too deep: the shifted edges turn round.
    EXPECT_FALSE(square10().canInset(std::vector<float>{-6, -6, -6, -6}));
}

TEST(PolyInset, ParallelNeighboursKeepBothEnds) {
    const Poly p = makePoly({{0, 0, 1}, {0, 5, 2}, {0, 10, 3}, {10, 10, 4}, {10, 0, 5}});
    const std::vector<float> steps{-1, -2, -1, -1, -1};
    expectPoly(p.inset(steps), {{1, 1, 1}, {1, 5, 2}, {2, 5, 2}, {2, 9, 3}, {9, 9, 4}, {9, 1, 5}});
    EXPECT_FALSE(p.canInset(steps));
    // Equal distances: the two ends coincide and merge.
    EXPECT_EQ(p.insetUniform(-1).count(), 5);
    EXPECT_TRUE(p.canInset(std::vector<float>(5, -1)));
}

TEST(PolyInset, CanInsetRejectsCrossingShiftedEdges) {
    // A dumbbell: two lobes joined by a neck 2 high. Insetting by 1.5 keeps
    // every edge's direction, but the neck's top and bottom pass each other
    // and the lobes' inner sides cross them.
    //   1 -- 2     5 -- 6
    //   |    3 --- 4    |
    //   |   10 --- 9    |
    //   0 -- 11    8 -- 7
    const Poly dumbbell = makePoly({{0, 0}, {0, 10}, {4, 10}, {4, 6}, {6, 6}, {6, 10}, {10, 10}, {10, 0},
                                    {6, 0}, {6, 4}, {4, 4}, {4, 0}});
    ASSERT_TRUE(dumbbell.isValid());
    EXPECT_TRUE(dumbbell.canInset(std::vector<float>(12, -0.5f)));
    const std::vector<float> deep(12, -1.5f);
    const Poly shifted = dumbbell.inset(deep);
    ASSERT_EQ(shifted.count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_GE(shifted.edge(i).direction().dot(dumbbell.edge(i).direction()), 0) << i;
    EXPECT_FALSE(dumbbell.canInset(deep));
}

TEST(PolyInset, TransferLimitsFromEdgesLyingOnReferenceEdges) {
    Poly piece = makePoly({{0, 0}, {0, 5}, {5, 5}, {5, 0}});
    piece.transferLimits(square10());
    EXPECT_EQ(piece[0].limit, 1);  // on the left edge
    EXPECT_EQ(piece[1].limit, 0);  // inside
    EXPECT_EQ(piece[2].limit, 0);
    EXPECT_EQ(piece[3].limit, 4);  // on the bottom edge, running the other way
    // Limits of edges lying on no reference edge stay.
    Poly other = makePoly({{1, 1, 7}, {1, 2, 7}, {2, 2, 7}});
    other.transferLimits(square10());
    EXPECT_EQ(other[0].limit, 7);
}

// --- splitting in two ---------------------------------------------------------

TEST(PolySplitInTwo, FewerThanFourPointsGivesNothing) {
    Poly a = square10(), b = square10();
    EXPECT_EQ(makePoly({{0, 0}, {0, 10}, {10, 0}}).splitInTwo(a, b, 4, 2), 0);
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(b.empty());
}

TEST(PolySplitInTwo, SelfCrossingSplitsAtTheCrossing) {
    //   3       1
    //     \   /
    //       X
    //     /   \      edges 0 (p0-p1) and 2 (p2-p3) cross at X = (5, 5)
    //   0       2
    const Poly bowTie = makePoly({{0, 0, 1}, {10, 10, 2}, {10, 0, 3}, {0, 10, 4}});
    Poly a, b;
    EXPECT_EQ(bowTie.splitInTwo(a, b, 4, 2), 2);
    expectPoly(a, {{5, 5, 1}, {10, 10, 2}, {10, 0, 3}});
    // b was (X limit 3, p3, p0) and is turned round by orient().
    expectPoly(b, {{0, 0, 1}, {0, 10, 4}, {5, 5, 3}});
    EXPECT_GT(a.area2(), 0);
    EXPECT_GT(b.area2(), 0);
}

TEST(PolySplitInTwo, ConcaveCornerIsCutAlongItsIncomingEdge) {
    Poly a, b;
    EXPECT_EQ(lShape().splitInTwo(a, b, 4, 2), 1);
    // The corner (10,10) carries on leftwards to (0,10) on edge 0.
    expectPoly(a, {{10, 10, 4}, {0, 10, 10}, {0, 20, 11}, {20, 20, 12}, {20, 10, 13}});
    expectPoly(b, {{0, 0, 10}, {0, 10, 2}, {10, 10, 14}, {10, 0, 15}});
    EXPECT_FLOAT_EQ(a.area() + b.area(), 300);
}

TEST(PolySplitInTwo, WideConcaveCornerIsCutAgainstItsNormals) {
    // A shallow dent at point 3 (turn of 45 degrees inwards): the cut heads
    // down the bisector, against the two edges' left normals, and meets edge 5.
    //   1 --------------- 2
    //   |                  \   .
    //   |                   3 -- 4      (3 is the dent)
    //   |                        |
    //   0 ---------------------- 5
    const Poly dent = makePoly({{0, 0, 1}, {0, 10, 2}, {10, 10, 3}, {15, 5, 4}, {25, 5, 5}, {25, 0, 6}});
    ASSERT_TRUE(dent.isValid());
    Poly a, b;
    EXPECT_EQ(dent.splitInTwo(a, b, 7, 8), 1);
    // Direction -(n + (-u.y, u.x)) at (15,5): incoming u = (1,-1)/sqrt2, outgoing
    // left normal n = (0,1); it points to (-0.3827, -0.9239): edge 5 at y = 0.
    const float hitX = 15 - 5 * 0.41421356f;
    expectPoly(a, {{15, 5, 7}, {hitX, 0, 6}, {0, 0, 1}, {0, 10, 2}, {10, 10, 3}});
    expectPoly(b, {{25, 0, 6}, {hitX, 0, 8}, {15, 5, 4}, {25, 5, 5}});
    EXPECT_NEAR(a.area() + b.area(), dent.area(), 1e-3f);
}

TEST(PolySplitInTwo, ConvexPolygonLosesTheCornerWithClosestNeighbours) {
    // Corners 1 and 3 tie (neighbours 14.14 apart): the first one is cut off.
    const Poly quad = makePoly({{0, 0, 1}, {0, 10, 2}, {10, 10, 3}, {12, 0, 4}});
    ASSERT_TRUE(quad.isConvex());
    Poly a, b;
    EXPECT_EQ(quad.splitInTwo(a, b, 5, 6), 0);
    EXPECT_EQ(b, makePoly({{0, 0, 1}, {0, 10, 2}, {10, 10, 6}}));
    EXPECT_EQ(a, makePoly({{0, 0, 5}, {10, 10, 3}, {12, 0, 4}}));
    // 255 leaves the remaining limits alone.
    EXPECT_EQ(quad.splitInTwo(a, b, 255, 4), 0);
    EXPECT_EQ(a, makePoly({{0, 0, 1}, {10, 10, 3}, {12, 0, 4}}));
    EXPECT_EQ(b, makePoly({{0, 0, 1}, {0, 10, 2}, {10, 10, 4}}));
}
