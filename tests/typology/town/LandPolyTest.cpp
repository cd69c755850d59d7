#include "typology/town/LandPoly.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/RandomGenerator.h"
#include "typology/town/StreetCutting.h"

using namespace landlimit;

namespace {

LandPoly fromCorners(std::initializer_list<Vec2> corners, uint8_t limit = 0, float width = 0.0f) {
    LandPoly p;
    for (const Vec2& c : corners)
        p.append(Point{c.x, c.y, limit}, width);
    return p;
}

// The world's four corners.
LandPoly worldOutline() { return fromCorners({{0, 0}, {0, 3400}, {5100, 3400}, {5500, -300}}); }

// Square 0..100 listed in the system's orientation, with anchors off the
// middle of each side:
//
//   2 ----- 3A ----- 4
//   |                |
//   1A               5A      (1A at y = 40, 5A at y = 60)
//   |                |
//   0 ----- 7A ----- 6
LandPoly anchoredSquare() {
    LandPoly p;
    const Vec2 pts[8] = {{0, 0}, {0, 40}, {0, 100}, {50, 100}, {100, 100}, {100, 60}, {100, 0}, {50, 0}};
    for (int i = 0; i < 8; ++i)
        p.append(Point{pts[i].x, pts[i].y, static_cast<uint8_t>(i % 2 ? kAnchor : 0)}, 0.0f);
    return p;
}

bool onSegment(const Vec2& p, const Vec2& a, const Vec2& b) {
    const Vec2 ab = b - a, ap = p - a;
    const float t = ap.dot(ab) / ab.dot(ab);
    return std::fabs(ab.cross(ap)) / ab.length() < 1e-2f && t > 0.0f && t < 1.0f;
}

// Draws left on the generator after a call: compares with a copy.
bool sameState(RandomGenerator a, RandomGenerator b) { return a.next() == b.next() && a.next() == b.next(); }

std::unique_ptr<DescPolyLand> flatOwner() {
    return std::make_unique<DescPolyLand>(Poly({{0, 0, 0}, {0, 10, 0}, {10, 10, 0}}), 10.0f, nullptr, 1, nullptr);
}

}  // namespace

// ---- the working polygon ----

TEST(LandPoly, AppendRuleMergesWithFirstAndLast) {
    LandPoly p;
    GraphNode* node = reinterpret_cast<GraphNode*>(&p);  // never dereferenced
    p.append(Point{0, 0, 1}, 2.0f, node);
    p.append(Point{0.00005f, 0, 7}, 3.0f);  // coincides with the first
    ASSERT_EQ(p.count(), 1);
    EXPECT_EQ(p.points[0].limit, 7);
    EXPECT_EQ(p.widths[0], 2.0f);
    EXPECT_EQ(p.nodes[0], node);
    p.append(Point{10, 0, 2}, 4.0f);
    p.append(Point{10, 0, 9}, 5.0f);  // coincides with the last
    ASSERT_EQ(p.count(), 2);
    EXPECT_EQ(p.points[1].limit, 9);
    EXPECT_EQ(p.widths[1], 4.0f);
    p.append(Point{10, 10, 3}, 6.0f);
    p.append(Point{0, 0, 4}, 6.0f);  // back at the first: only its limit
    ASSERT_EQ(p.count(), 3);
    EXPECT_EQ(p.points[0].limit, 4);
    EXPECT_EQ(p.widths, (std::vector<float>{2, 4, 6}));
    EXPECT_EQ(p.nodes.size(), 3u);
}

TEST(LandPoly, CopiesAPolygonWithItsArrays) {
    const Poly poly({{0, 0, 1}, {0, 5, 2}, {5, 5, 3}});
    const LandPoly bare(poly);
    EXPECT_EQ(bare.widths, (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(bare.nodes, (std::vector<GraphNode*>(3, nullptr)));
    const LandPoly full(poly, {1, 2, 3});
    EXPECT_EQ(full.widths, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(full.poly(), poly);
    EXPECT_EQ(full.edge(2).limit, 3);
    EXPECT_EQ(full.edge(2).end(), (Vec2{0, 0}));
}

TEST(LandPoly, AnchorsCountedInPointOrder) {
    const LandPoly p = anchoredSquare();
    EXPECT_EQ(p.anchorCount(), 4);
    EXPECT_EQ(p.anchorIndex(0), 1);
    EXPECT_EQ(p.anchorIndex(3), 7);
    EXPECT_EQ(p.anchorIndex(4), -1);
}

TEST(LandPoly, LengthScale) {
    EXPECT_FLOAT_EQ(lengthScale(5000), 100.0f);
    EXPECT_NEAR(lengthScale(505000), 150.0f, 1e-3f);
    EXPECT_NEAR(lengthScale(1000000), 200.0f, 1e-3f);
    EXPECT_FLOAT_EQ(lengthScale(2000000), 200.0f);
}

// ---- jitterEdges ----

TEST(JitterEdges, LongEdgeGetsSeventeenPointsInOrderAlongIt) {
    RandomGenerator random(7);
    LandPoly p = fromCorners({{0, 0}, {0, 3400}}, 0x02, 1.5f);
    jitterEdges(p, 200.0f, 5.0f, false, random);
    ASSERT_EQ(p.count(), 19);
    EXPECT_EQ(p.at(0), (Vec2{0, 0}));
    EXPECT_EQ(p.at(18), (Vec2{0, 3400}));
    EXPECT_EQ(p.points[0].limit, 0x02);
    EXPECT_EQ(p.points[18].limit, 0x02);
    EXPECT_EQ(p.widths[0], 1.5f);
    float previous = 0;
    for (int k = 1; k <= 17; ++k) {
        EXPECT_EQ(p.points[k].limit, 0x22);
        EXPECT_EQ(p.widths[k], 5.0f);
        EXPECT_EQ(p.nodes[k], nullptr);
        EXPECT_EQ(p.at(k).x, 0.0f);
        EXPECT_GT(p.at(k).y, previous);
        // Nearly equal pieces of 3400 / 18 = 189 m.
        EXPECT_NEAR(p.at(k).y - previous, 3400.0f / 18, 3400.0f / 18 * 0.5f);
        previous = p.at(k).y;
    }
}

TEST(JitterEdges, ZeroLengthEdgeGetsNone) {
    RandomGenerator random(7);
    LandPoly p;
    p.insert(0, Point{0, 0, 0}, 0, nullptr);
    p.insert(1, Point{0, 0, 0}, 0, nullptr);  // a zero-length edge 0
    p.insert(2, Point{0, 100, 0}, 0, nullptr);
    jitterEdges(p, 60.0f, 5.0f, false, random);
    ASSERT_EQ(p.count(), 5);
    EXPECT_EQ(p.at(1), (Vec2{0, 0}));
    EXPECT_EQ(p.points[1].limit, 0);
    EXPECT_EQ(p.points[2].limit, kAnchor);
}

TEST(JitterEdges, OpenLineLeavesTheClosingEdgeAlone) {
    RandomGenerator open(3), closed(3);
    LandPoly a = fromCorners({{0, 0}, {0, 100}, {100, 100}});
    LandPoly b = a;
    jitterEdges(a, 30.0f, 1.0f, false, open);
    jitterEdges(b, 30.0f, 1.0f, true, closed);
    ASSERT_EQ(a.count(), 3 + 4 + 4);
    EXPECT_EQ(a.at(a.count() - 1), (Vec2{100, 100})) << "nothing after the last point";
    // The closing edge of 141 m takes five more, at the end of the list.
    ASSERT_EQ(b.count(), 3 + 4 + 4 + 5);
    for (int k = 11; k < 16; ++k) {
        EXPECT_TRUE(onSegment(b.at(k), {100, 100}, {0, 0})) << k;
        EXPECT_EQ(b.points[k].limit, kAnchor);
    }
    EXPECT_GT(b.at(11).x, b.at(15).x) << "ordered from the last point towards the first";
}

TEST(JitterEdges, JitterVariesEachFractionByAFifthAtMost) {
    // ceil(100 / 60) = 2 points: first at 1 - t' of the edge with t' = 1/3
    // +- 20 %, then at 1 - t' of that with t' = 1/2 +- 20 %.
    std::set<float> positions;
    for (int seed = 0; seed < 50; ++seed) {
        RandomGenerator random(seed);
        LandPoly p = fromCorners({{0, 0}, {0, 100}});
        jitterEdges(p, 60.0f, 1.0f, false, random);
        ASSERT_EQ(p.count(), 4);
        const float first = p.at(2).y, second = p.at(1).y;
        EXPECT_GE(first, 60.0f - 1e-3f);
        EXPECT_LE(first, 100.0f * (1 - 0.8f / 3) + 1e-3f);
        EXPECT_GE(second, first * 0.4f - 1e-3f);
        EXPECT_LE(second, first * 0.6f + 1e-3f);
        positions.insert(first);
    }
    EXPECT_GT(positions.size(), 40u) << "the fractions are jittered";
}

TEST(JitterEdges, WorldOutlineHasNinetyFourPoints) {
    RandomGenerator random(0);
    LandPoly p = worldOutline();
    jitterEdges(p, 200.0f, 5.0f, true, random);
    ASSERT_EQ(p.count(), 94);
    // The given corners keep limit 0 and width 0 at 0, 0+17+1, 18+26+1, 45+19+1.
    const int corners[4] = {0, 18, 45, 65};
    const Vec2 at[4] = {{0, 0}, {0, 3400}, {5100, 3400}, {5500, -300}};
    std::set<int> cornerSet(corners, corners + 4);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(p.at(corners[c]), at[c]);
        EXPECT_EQ(p.points[corners[c]].limit, 0);
        EXPECT_EQ(p.widths[corners[c]], 0.0f);
    }
    for (int k = 0; k < 94; ++k)
        if (!cornerSet.count(k)) {
            EXPECT_EQ(p.points[k].limit, kAnchor);
            EXPECT_EQ(p.widths[k], 5.0f);
        }
    EXPECT_GT(p.area2(), 0.0f);
    EXPECT_NEAR(p.area(), 18785000.0f, 18785000.0f * 0.001f);
    EXPECT_TRUE(p.poly().isValid());
}

// ---- winding streets ----

TEST(StartStub, PointsInwardWithinTheLengthScale) {
    const LandPoly p = anchoredSquare();
    RandomGenerator random(11), copy(11);
    const Stub stub = startStub(p, 5000.0f, 1, random);  // L = 100
    copy.next();
    EXPECT_TRUE(sameState(random, copy)) << "one draw";
    EXPECT_EQ(stub.start, (Vec2{0, 40}));
    EXPECT_NEAR(stub.end.y, 40.0f, 1e-4f);
    EXPECT_GE(stub.end.x, 50.0f);
    EXPECT_LE(stub.end.x, 100.0f);
    EXPECT_EQ(stub.limit, kAnchor);
}

TEST(FindStreetEnd, StraightRayChoosesTheSquarerEdge) {
    const LandPoly p = anchoredSquare();
    RandomGenerator random(5);
    const Stub stub{{0, 40}, {60, 40}, kAnchor, 0};
    // Ray y = 40 hits edge 5 ((100,60) -> (100,0)); anchors 5 (backwards) and 7
    // (forwards); edge 5 faces the ray, edge 7 runs along it.
    EXPECT_EQ(findStreetEnd(stub, p, 0.0f, random), 5);
    // Aimed at the bottom side, the anchors around edge 6 are 5 and 7; edge 7
    // faces a downward ray squarely.
    const Stub down{{50, 100}, {50, 99}, kAnchor, 0};
    EXPECT_EQ(findStreetEnd(down, p, 0.0f, random), 7);
}

TEST(FindStreetEnd, MissReturnsMinusOne) {
    const LandPoly p = anchoredSquare();
    RandomGenerator random(5);
    const Stub outward{{0, 40}, {-10, 40}, kAnchor, 0};
    EXPECT_EQ(findStreetEnd(outward, p, 0.0f, random), -1);
}

TEST(GrowStreet, StubEndsCloserThanTwiceTheScaleAreRefusedAtOnce) {
    const LandPoly p = fromCorners({{0, 0}, {0, 300}, {300, 300}, {300, 0}}, kAnchor);
    // A piece of 5000 square metres has L = 100: ends 150 m apart are too close.
    const Stub s1{{0, 100}, {60, 100}, kAnchor, 0};
    const Stub s2{{300, 200}, {150, 220}, kAnchor, 0};
    ASSERT_FLOAT_EQ((s2.end - s1.end).length(), 150.0f);
    RandomGenerator random(1), copy(1);
    EXPECT_TRUE(growStreet(p, 5000.0f, 1000.0f, 0.3f, s1, s2, 1, 3, random).empty());
    EXPECT_TRUE(sameState(random, copy)) << "refused before any draw";

    // 210 m apart the street is attempted.
    const Stub s3{{300, 100}, {270, 100}, kAnchor, 0};
    growStreet(p, 5000.0f, 1000.0f, 0.3f, s1, s3, 1, 3, random);
    EXPECT_FALSE(sameState(random, copy));
}

namespace {
// A 3 km square with anchors every ~200 m, like the top of the world.
LandPoly bigSquare(RandomGenerator& random) {
    LandPoly p = fromCorners({{0, 0}, {0, 3000}, {3000, 3000}, {3000, 0}});
    jitterEdges(p, 200.0f, 5.0f, true, random);
    return p;
}
}  // namespace

TEST(GrowStreet, WindsFromOneStubToTheOtherInsideThePiece) {
    for (int seed = 0; seed < 20; ++seed) {
        RandomGenerator random(seed);
        const LandPoly p = bigSquare(random);
        const float area = p.area();
        const int i = 7;                        // on the left side
        const int j = p.count() / 2 + 7;        // on the right side
        const Stub s1 = startStub(p, area, i, random);
        const Stub s2 = startStub(p, area, j, random);
        const LandPoly street = growStreet(p, area, area / 10, 0.39269909f, s1, s2, i, j, random);
        ASSERT_FALSE(street.empty()) << seed;
        EXPECT_EQ(street.at(0), s1.start);
        EXPECT_EQ(street.at(street.count() - 1), s2.start);
        EXPECT_EQ(street.points.front().limit, kCorner | kRoadOut);
        EXPECT_EQ(street.points.back().limit, kCorner | kRoadOut);
        EXPECT_EQ(street.widths.back(), s2.width);
        for (int k = 1; k + 1 < street.count(); ++k) {
            const uint8_t l = street.points[k].limit;
            EXPECT_TRUE(l == kRoadOut || l == (kAnchor | kRoadOut)) << int(l);
            EXPECT_TRUE(p.poly().containsPoint(street.at(k).x, street.at(k).y));
            // Densified: no piece longer than 50 m (plus the 20 % jitter).
            EXPECT_LT((street.at(k) - street.at(k - 1)).length(), 60.0f);
        }
    }
}

TEST(GrowStreet, SameSeedSameStreet) {
    auto grow = [] {
        RandomGenerator random(99);
        const LandPoly p = bigSquare(random);
        const Stub s1 = startStub(p, p.area(), 3, random);
        const Stub s2 = startStub(p, p.area(), 40, random);
        return growStreet(p, p.area(), p.area() / 10, 0.78539819f, s1, s2, 3, 40, random);
    };
    const LandPoly a = grow(), b = grow();
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a.poly(), b.poly());
}

TEST(GrowStreet, StubAcrossTheOutlineIsRefused) {
    RandomGenerator random(4);
    const LandPoly p = bigSquare(random);
    ASSERT_EQ(p.count(), 64);  // 15 points on each side
    const int bottom = 56;     // on the side from (3000, 0) back to (0, 0)
    const Stub inward = startStub(p, p.area(), bottom, random);
    // From the left side up through the top side.
    const Stub across{p.at(7), Vec2{1500, 3100}, kAnchor, 0};
    RandomGenerator copy = random;
    EXPECT_TRUE(growStreet(p, p.area(), p.area() / 10, 0.0f, across, inward, 7, bottom, random).empty());
    EXPECT_TRUE(growStreet(p, p.area(), p.area() / 10, 0.0f, inward, across, bottom, 7, random).empty());
    EXPECT_TRUE(sameState(random, copy)) << "refused before any draw";
}

// ---- straight cuts ----

TEST(StartDirection, UnitInwardNormalWithoutWinding) {
    const LandPoly p = anchoredSquare();
    RandomGenerator random(3), copy(3);
    const Stub s = startDirection(p, 3, 0.0f, random);  // top side, edge towards +x
    copy.next();
    EXPECT_TRUE(sameState(random, copy)) << "one draw";
    EXPECT_EQ(s.start, (Vec2{50, 100}));
    EXPECT_NEAR(s.end.x, 50.0f, 1e-5f);
    EXPECT_NEAR(s.end.y, 99.0f, 1e-5f);
    const Stub w = startDirection(p, 3, 0.3f, random);
    EXPECT_NEAR((w.end - w.start).length(), 1.0f, 1e-5f);
    EXPECT_LE(std::fabs(std::atan2(w.end.x - 50.0f, 100.0f - w.end.y)), 0.3f + 1e-5f);
}

TEST(FindCrossingVertex, HeadOnAcceptedObliqueRefused) {
    const LandPoly p = anchoredSquare();
    const Stub headOn{{0, 40}, {1, 40}, kAnchor, 0};
    EXPECT_EQ(findCrossingVertex(headOn, p), 5);
    // 45 degrees up meets the top side: anchor 3 lies ahead (cos 0.996) but
    // its edge meets the cut 45 degrees from head-on.
    const float r = std::sqrt(0.5f);
    const Stub oblique{{0, 40}, {r, 40 + r}, kAnchor, 0};
    EXPECT_EQ(findCrossingVertex(oblique, p), -1);
    // 30 degrees off the vertical is within 37 degrees: accepted.
    const Stub steep{{0, 40}, {0.5f, 40 + std::sqrt(0.75f)}, kAnchor, 0};
    EXPECT_EQ(findCrossingVertex(steep, p), 3);
    const Stub outward{{0, 40}, {-1, 40}, kAnchor, 0};
    EXPECT_EQ(findCrossingVertex(outward, p), -1);
}

TEST(FindCrossingVertex, AnchorFarOffTheRayIsRefused) {
    // Only anchor 5 (100, 60) is left besides the start; a ray from (0, 40)
    // nearly up the left side meets the top far from it (cosine 0.29).
    LandPoly p = anchoredSquare();
    p.points[3].limit = 0;
    p.points[7].limit = 0;
    const Stub up{{0, 40}, {0.1f, 41}, kAnchor, 0};  // nearly along the left side
    EXPECT_EQ(findCrossingVertex(up, p), -1);
}

TEST(CrossesOutline, ChordsOfAConcavePolygon) {
    // An L-shape: the chord from 1 to 4 cuts through the inner side 2-3.
    //   1 --- 2
    //   |     |
    //   |     3 --- 4
    //   |           |
    //   0 --------- 5
    const LandPoly p = fromCorners({{0, 0}, {0, 100}, {50, 100}, {50, 50}, {100, 50}, {100, 0}});
    EXPECT_TRUE(crossesOutline(p, 1, 4));
    EXPECT_TRUE(crossesOutline(p, 5, 2)) << "through side 3-4";
    EXPECT_FALSE(crossesOutline(p, 0, 3));
    EXPECT_FALSE(crossesOutline(p, 0, 1)) << "the edges at both ends do not count";
}

TEST(MakeCutLine, StreetGetsNodesAndLinks) {
    auto owner = flatOwner();
    Graph outer;
    GraphNode* s = outer.addNode(Vector{0, 0, 40}, false);
    GraphNode* e = outer.addNode(Vector{100, 0, 40}, false);
    RandomGenerator random(2);
    const Stub seg{{0, 40}, {100, 40}, kStreetCut, 0};
    const LandPoly line = makeCutLine(*owner, seg, 5.0f, s, e, random);
    ASSERT_EQ(line.count(), 7);  // ceil(100 / 20) = 5 inserted
    EXPECT_EQ(line.points.front().limit, 0x12);
    EXPECT_EQ(line.points.back().limit, 0x12);
    for (int k = 1; k < 6; ++k) {
        EXPECT_EQ(line.points[k].limit, 0x22);
        EXPECT_EQ(line.nodes[k], owner->graph.node(k - 1));
        EXPECT_EQ(line.widths[k], 5.0f);
    }
    EXPECT_EQ(line.nodes.front(), s);
    EXPECT_EQ(line.nodes.back(), e);
    EXPECT_EQ(s->neighbours, (std::vector<GraphNode*>{line.nodes[1]}));
    EXPECT_EQ(e->neighbours, (std::vector<GraphNode*>{line.nodes[5]}));
    removePath(owner->graph, line);
    EXPECT_EQ(owner->graph.count(), 0);
    EXPECT_TRUE(s->neighbours.empty());
    EXPECT_TRUE(e->neighbours.empty());
}

TEST(MakeCutLine, DividingLineCarriesPartyWithoutLinks) {
    auto owner = flatOwner();
    Graph outer;
    GraphNode* s = outer.addNode(Vector{0, 0, 0}, false);
    GraphNode* e = outer.addNode(Vector{50, 0, 0}, false);
    RandomGenerator random(2);
    const LandPoly line = makeCutLine(*owner, Stub{{0, 0}, {50, 0}, kParty, 0}, 0.0f, s, e, random);
    ASSERT_EQ(line.count(), 5);
    EXPECT_EQ(line.points.front().limit, 24);
    EXPECT_EQ(line.points.back().limit, 24);
    EXPECT_EQ(line.points[2].limit, 0x28);
    EXPECT_EQ(owner->graph.count(), 3);
    EXPECT_TRUE(s->neighbours.empty());
    for (const auto& n : owner->graph.nodes())
        EXPECT_TRUE(n->neighbours.empty());
}

TEST(MakeCutLine, DegenerateLineAsserts) {
    auto owner = flatOwner();
    RandomGenerator random(2);
    try {
        makeCutLine(*owner, Stub{{5, 5}, {5, 5}, kStreetCut, 0}, 5.0f, nullptr, nullptr, random);
        ADD_FAILURE() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), "core/DescPolyLand");
    }
}

// ---- splitting ----

TEST(SplitAlongStreet, MarkedSidesAndBalancedAreas) {
    auto owner = flatOwner();
    LandPoly p = anchoredSquare();
    RandomGenerator random(8);
    // The cut from anchor 1 (0, 40) to anchor 5 (100, 60).
    LandPoly line = makeCutLine(*owner, Stub{p.at(1), p.at(5), kStreetCut, 0}, 6.0f, nullptr, nullptr, random);
    const auto [a, b] = splitAlongStreet(p, 1, 5, line, true);

    // A: 1', 2, 3, 4, then the line back from 5 to its second point.
    ASSERT_EQ(a.count(), 4 + line.count() - 1);
    EXPECT_EQ(a.at(0), p.at(1));
    EXPECT_EQ(a.points[0].limit, kCorner) << "anchor cleared, corner set";
    EXPECT_EQ(a.points[3].limit, 0);
    for (int k = 4; k < a.count(); ++k) {
        const uint8_t l = a.points[k].limit;
        EXPECT_TRUE(l == 0x02 || l == 0x12 || l == 0x22) << int(l);
        EXPECT_EQ(a.widths[k], 6.0f);
    }
    // B: 5', 6, 7, 0, then the line from its first point on.
    ASSERT_EQ(b.count(), 4 + line.count() - 1);
    EXPECT_EQ(b.at(0), p.at(5));
    EXPECT_EQ(b.points[0].limit, kCorner);
    for (int k = 4; k < b.count(); ++k) {
        const uint8_t l = b.points[k].limit;
        EXPECT_TRUE(l == 0x04 || l == 0x14 || l == 0x24) << int(l);
    }
    EXPECT_EQ(b.at(4), p.at(1));
    EXPECT_TRUE(a.poly().isValid());
    EXPECT_TRUE(b.poly().isValid());
    EXPECT_NEAR(a.area() + b.area(), p.area(), p.area() * 1e-5f);
    EXPECT_NEAR(a.area(), 100 * 50, 1.0f);
}

TEST(SplitAlongStreet, UnmarkedKeepsRoadOutAndSharesNodes) {
    LandPoly p = anchoredSquare();
    GraphNode* tag = reinterpret_cast<GraphNode*>(&p);  // never dereferenced
    p.nodes[3] = tag;
    LandPoly line;
    line.append(Point{50, 100, 0x12}, 5, tag);
    line.append(Point{50, 50, 0x22}, 5, nullptr);
    line.append(Point{50, 0, 0x12}, 5, nullptr);
    const auto [a, b] = splitAlongStreet(p, 3, 7, line, false);
    EXPECT_EQ(a.points.back().limit, 0x22);
    EXPECT_EQ(b.points.back().limit, 0x22);
    EXPECT_EQ(a.nodes[0], tag);
    EXPECT_EQ(b.nodes[b.count() - 2], tag) << "the line's first point closes piece B";
    EXPECT_NEAR(a.area(), 5000, 1e-2f);
    EXPECT_NEAR(b.area(), 5000, 1e-2f);
}

// Random convex and concave pieces cut as the quarter and block levels do:
// whenever a cut is accepted, both pieces are valid and the areas add up.
TEST(SplitAlongStreet, AcceptedCutsKeepValidPiecesAndArea) {
    RandomGenerator shapes(20240);
    auto owner = flatOwner();
    int cuts = 0;
    for (int c = 0; c < 300; ++c) {
        const bool convex = c % 2 == 0;
        const int n = 4 + static_cast<int>(shapes.uniform() * 8);
        const float radius = 100.0f + static_cast<float>(shapes.uniform()) * 400.0f;
        LandPoly p;
        // Clockwise angles give the system's positive orientation.
        for (int k = 0; k < n; ++k) {
            const float angle = -6.2831853f * (k + 0.8f * static_cast<float>(shapes.uniform()) - 0.4f) / n;
            const float r = convex ? radius : radius * (0.55f + 0.45f * static_cast<float>(shapes.uniform()));
            p.append(Point{r * std::cos(angle), r * std::sin(angle), 0}, 0.0f);
        }
        ASSERT_GT(p.area2(), 0.0f);
        ASSERT_TRUE(p.poly().isValid()) << c;
        jitterEdges(p, radius * (0.2f + 0.3f * static_cast<float>(shapes.uniform())), 0.0f, true, shapes);
        const float whole = p.area();
        const int anchors = p.anchorCount();
        const float winding = 0.2f * static_cast<float>(shapes.uniform());
        for (int attempt = 0; attempt < 5; ++attempt) {
            const int i = p.anchorIndex(static_cast<int>(shapes.uniform() * anchors));
            const Stub dir = startDirection(p, i, winding, shapes);
            const int j = findCrossingVertex(dir, p);
            if (j < 0 || j == i || crossesOutline(p, i, j))
                continue;
            const bool street = shapes.uniform() < 0.5;
            Stub seg{p.at(i), p.at(j), static_cast<uint8_t>(street ? kStreetCut : kParty), 0};
            LandPoly line = makeCutLine(*owner, seg, street ? 5.0f : 0.0f, nullptr, nullptr, shapes);
            const auto [a, b] = splitAlongStreet(p, i, j, line, street);
            EXPECT_TRUE(a.poly().isValid()) << "case " << c << " cut " << i << "-" << j;
            EXPECT_TRUE(b.poly().isValid()) << "case " << c << " cut " << i << "-" << j;
            EXPECT_NEAR(a.area() + b.area(), whole, whole * 0.001f) << "case " << c;
            removePath(owner->graph, line);
            ++cuts;
            break;
        }
    }
    EXPECT_GT(cuts, 100) << "the property must be exercised";
    EXPECT_EQ(owner->graph.count(), 0);
}
