#include "core/Line.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

Crossing crossingAt(float t, float beforeAngle, float afterAngle, float beforeWidth = 1, float afterWidth = 1) {
    Crossing c;
    c.t = t;
    c.beforeAngle = beforeAngle;
    c.afterAngle = afterAngle;
    c.beforeWidth = beforeWidth;
    c.afterWidth = afterWidth;
    c.kind = 1;
    return c;
}

}  // namespace

TEST(LineOutline, FourCornersAtHalfWidthPositivelyOriented) {
    const Line line(0, 0, 10, 0, 2, 5);
    const Poly p = line.outline();
    ASSERT_EQ(p.count(), 4);
    EXPECT_FLOAT_EQ(p.area2(), 40);  // 10 x 2, positive
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p[i].limit, 5);
        EXPECT_FLOAT_EQ(std::fabs(p[i].y), 1);
    }
    EXPECT_TRUE(p.containsPoint(5, 0.5f));
    EXPECT_FALSE(p.containsPoint(5, 1.5f));
    // Without width the two sides coincide and merge.
    EXPECT_EQ(Line(0, 0, 10, 0, 0).outline().count(), 2);
}

TEST(LineCrossings, AddKeepsOrderAndMergesWithinTolerance) {
    Line line(0, 0, 10, 0, 1);
    line.addCrossing(crossingAt(0.5f, 1, 2));
    line.addCrossing(crossingAt(0.2f, 1, 2));
    line.addCrossing(crossingAt(0.8f, 1, 2));
    ASSERT_EQ(line.crossingCount(), 3);
    EXPECT_FLOAT_EQ(line.crossings[0].t, 0.2f);
    EXPECT_FLOAT_EQ(line.crossings[1].t, 0.5f);
    EXPECT_FLOAT_EQ(line.crossings[2].t, 0.8f);

    // Smaller before angle and larger after angle: both taken with their widths.
    line.addCrossing(crossingAt(0.50005f, 0.5f, 3, 7, 8));
    ASSERT_EQ(line.crossingCount(), 3);
    EXPECT_FLOAT_EQ(line.crossings[1].t, 0.5f);
    EXPECT_FLOAT_EQ(line.crossings[1].beforeAngle, 0.5f);
    EXPECT_FLOAT_EQ(line.crossings[1].beforeWidth, 7);
    EXPECT_FLOAT_EQ(line.crossings[1].afterAngle, 3);
    EXPECT_FLOAT_EQ(line.crossings[1].afterWidth, 8);
    // Neither smaller nor larger: nothing changes.
    line.addCrossing(crossingAt(0.49995f, 0.6f, 2.5f, 9, 9));
    EXPECT_FLOAT_EQ(line.crossings[1].beforeAngle, 0.5f);
    EXPECT_FLOAT_EQ(line.crossings[1].beforeWidth, 7);
    EXPECT_FLOAT_EQ(line.crossings[1].afterAngle, 3);
    EXPECT_FLOAT_EQ(line.crossings[1].afterWidth, 8);
    // Just outside the tolerance: a new crossing.
    line.addCrossing(crossingAt(0.5002f, 1, 2));
    EXPECT_EQ(line.crossingCount(), 4);
    EXPECT_FLOAT_EQ(line.crossings[2].t, 0.5002f);
}

TEST(LineSubLine, EndsAndCrossingsAtTheCuts) {
    Line line(0, 0, 8, 0, 0.3f, 6);
    line.addCrossing(crossingAt(0.25f, 1, 1));
    line.addCrossing(crossingAt(0.5f, 2, 2));
    line.addCrossing(crossingAt(0.75f, 3, 3));
    const Line sub = line.subLine(0.25f, 0.75f);
    EXPECT_FLOAT_EQ(sub.x0, 2);
    EXPECT_FLOAT_EQ(sub.x1, 6);
    EXPECT_FLOAT_EQ(sub.width, 0.3f);
    EXPECT_EQ(sub.limit, 6);
    ASSERT_EQ(sub.crossingCount(), 2);
    EXPECT_EQ(sub.crossings[0].t, 0);
    EXPECT_EQ(sub.crossings[0].beforeAngle, 1);
    EXPECT_EQ(sub.crossings[1].t, 1);
    EXPECT_EQ(sub.crossings[1].beforeAngle, 3);

    // Beyond the ends the line's own end points are used exactly.
    const Line whole = Line(0.1f, 0.7f, 3.3f, 9.1f, 1).subLine(-1, 2);
    EXPECT_EQ(whole.x0, 0.1f);
    EXPECT_EQ(whole.y0, 0.7f);
    EXPECT_EQ(whole.x1, 3.3f);
    EXPECT_EQ(whole.y1, 9.1f);
    EXPECT_EQ(whole.crossingCount(), 0);
}

TEST(LineSubdivide, EvenPiecesBetweenTheEnds) {
    Line line(0, 0, 10, 0, 0.5f);
    line.subdivide(3, 9);
    // n = trunc(9 / 3) + 1 = 4 pieces of 2.25.
    ASSERT_EQ(line.crossingCount(), 4);
    const float expected[] = {0.1625f, 0.3875f, 0.6125f, 0.8375f};
    for (int k = 0; k < 4; ++k) {
        const Crossing& c = line.crossings[k];
        EXPECT_NEAR(c.t, expected[k], 1e-6f) << k;
        EXPECT_EQ(c.kind, 2);
        EXPECT_EQ(c.limit, 9);
        EXPECT_FLOAT_EQ(c.beforeAngle, kPi / 2);
        EXPECT_FLOAT_EQ(c.afterAngle, kPi / 2);
        EXPECT_FLOAT_EQ(c.beforeWidth, 1.75f);
        EXPECT_FLOAT_EQ(c.afterWidth, 1.75f);
    }
}

TEST(LineSubdivide, NothingWithoutWidthOrRoom) {
    Line flat(0, 0, 10, 0, 0);
    flat.subdivide(3, 1);
    EXPECT_EQ(flat.crossingCount(), 0);
    // Pieces (2) narrower than the width (4).
    Line thick(0, 0, 10, 0, 4);
    thick.subdivide(3, 1);
    EXPECT_EQ(thick.crossingCount(), 0);
    Line zero(0, 0, 10, 0, 0.5f);
    zero.subdivide(0, 1);
    EXPECT_EQ(zero.crossingCount(), 0);
    Line point(3, 3, 3, 3, 0.5f);
    point.subdivide(1, 1);
    EXPECT_EQ(point.crossingCount(), 0);
}

TEST(LineCross, InteriorCrossingIsKindThreeOnBoth) {
    Line a(0, 0, 10, 0, 0.4f, 1);
    Line b(5, -5, 5, 5, 0.2f, 2);
    a.cross(b);
    ASSERT_EQ(a.crossingCount(), 1);
    ASSERT_EQ(b.crossingCount(), 1);
    const Crossing& ca = a.crossings[0];
    EXPECT_FLOAT_EQ(ca.t, 0.5f);
    EXPECT_EQ(ca.kind, 3);
    EXPECT_EQ(ca.limit, 2);
    EXPECT_FLOAT_EQ(ca.beforeWidth, 0.2f);
    EXPECT_FLOAT_EQ(ca.afterWidth, 0.2f);
    EXPECT_FLOAT_EQ(ca.beforeAngle, kPi / 2);
    EXPECT_FLOAT_EQ(ca.afterAngle, kPi / 2);
    const Crossing& cb = b.crossings[0];
    EXPECT_FLOAT_EQ(cb.t, 0.5f);
    EXPECT_EQ(cb.kind, 3);
    EXPECT_EQ(cb.limit, 1);
    EXPECT_FLOAT_EQ(cb.beforeWidth, 0.4f);
    EXPECT_NEAR(cb.beforeAngle, 1.5f * kPi, 1e-5f);  // -pi/2 brought into [0, 2 pi)
}

TEST(LineCross, EndingOnTheInteriorIsAT) {
    Line a(0, 0, 10, 0, 0.4f);
    Line b(5, 0, 5, 5, 0.2f);  // starts on a
    a.cross(b);
    ASSERT_EQ(a.crossingCount(), 1);
    EXPECT_FLOAT_EQ(a.crossings[0].t, 0.5f);
    EXPECT_EQ(a.crossings[0].kind, 1);
    EXPECT_FLOAT_EQ(a.crossings[0].beforeAngle, kPi / 2);
    // On b the meeting is at its start, and a passes through: kind 2.
    ASSERT_EQ(b.crossingCount(), 1);
    EXPECT_EQ(b.crossings[0].t, 0);
    EXPECT_EQ(b.crossings[0].kind, 2);
    EXPECT_NEAR(b.crossings[0].beforeAngle, 1.5f * kPi, 1e-5f);

    // Ending on a from the other side: a's heading seen from the meeting point turns round.
    Line c(0, 0, 10, 0, 0.4f);
    Line d(4, -4, 4, 0, 0.2f);  // ends on c
    c.cross(d);
    ASSERT_EQ(c.crossingCount(), 1);
    EXPECT_FLOAT_EQ(c.crossings[0].t, 0.4f);
    EXPECT_EQ(c.crossings[0].kind, 1);
    EXPECT_NEAR(c.crossings[0].beforeAngle, 1.5f * kPi, 1e-5f);  // pi/2 + pi
    ASSERT_EQ(d.crossingCount(), 1);
    EXPECT_EQ(d.crossings[0].t, 1);
    EXPECT_EQ(d.crossings[0].kind, 2);
}

TEST(LineCross, EndsMeetingAreKindFour) {
    Line a(0, 0, 10, 0, 0.4f, 3);
    Line b(10, 0, 10, 5, 0.2f, 4);  // a's end is b's start
    a.cross(b);
    ASSERT_EQ(a.crossingCount(), 1);
    EXPECT_EQ(a.crossings[0].t, 1);
    EXPECT_EQ(a.crossings[0].kind, 4);
    EXPECT_EQ(a.crossings[0].limit, 4);
    EXPECT_NEAR(a.crossings[0].beforeAngle, 1.5f * kPi, 1e-5f);  // pi/2 turned once more
    ASSERT_EQ(b.crossingCount(), 1);
    EXPECT_EQ(b.crossings[0].t, 0);
    EXPECT_EQ(b.crossings[0].kind, 4);
    EXPECT_NEAR(b.crossings[0].beforeAngle, kPi / 2, 1e-5f);  // a's heading turned round, less b's
}

TEST(LineCross, ApartOrParallelAddsNothing) {
    Line a(0, 0, 10, 0, 0.4f);
    Line b(20, -5, 20, 5, 0.2f);  // only a's line reaches b
    a.cross(b);
    EXPECT_EQ(a.crossingCount(), 0);
    EXPECT_EQ(b.crossingCount(), 0);
    Line c(0, 1, 10, 1, 0.2f);
    a.cross(c);
    EXPECT_EQ(a.crossingCount(), 0);
    EXPECT_EQ(c.crossingCount(), 0);
}
