#include "typology/construction/TypConSlabSimple.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/DrawablePolyExtruded.h"
#include "core/DrawableSlab.h"
#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSimple.h"

#include "../TypologyTestSupport.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The first draw of the generation generator seeded with s.
uint32_t firstDraw(int32_t s) {
    RandomGenerator r;
    r.seed(s);
    return static_cast<uint32_t>(r.next());
}

// The along-coordinates (x) of the footprint's points lying on the side at y.
std::vector<float> xsAt(const Poly& p, float y) {
    std::vector<float> xs;
    for (const Point& q : p.points())
        if (std::fabs(q.y - y) < 1e-4f)
            xs.push_back(q.x);
    std::sort(xs.begin(), xs.end());
    return xs;
}

Crossing crossingAt(float t, float angle, float width, uint8_t kind = 2) {
    Crossing c;
    c.t = t;
    c.beforeAngle = c.afterAngle = angle;
    c.beforeWidth = c.afterWidth = width;
    c.kind = kind;
    return c;
}

}  // namespace

TEST(Slab, RectanglesAreExtrudedAlongTheirLongestEdgeLShapesAreSlabsLaidHorizontally) {
    TypConSlabSimple rect(rectangle(3, 8), Extrusion{2, 0.3f}, nullptr, 4, "Woodplanks1");
    RandomGenerator::generation().seed(4);
    rect.generate();
    ASSERT_EQ(rect.childCount(), 1);
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(rect.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal | mapping::kOblique);
    EXPECT_EQ(prism->material->referenceEdge, 0);  // (0,0)-(0,8), the first of the two long edges
    EXPECT_STREQ(nameOf(*prism->material), "Woodplanks1");
    EXPECT_EQ(prism->seed, firstDraw(4));
    EXPECT_EQ(prism->parent, &rect);

    const Poly ell({{0, 0}, {0, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 0}});
    ASSERT_GT(ell.area2(), 0);
    TypConSlabSimple lShaped(ell, Extrusion{2, -3}, nullptr, 4, "Woodplanks1");
    RandomGenerator::generation().seed(5);
    lShaped.generate();
    ASSERT_EQ(lShaped.childCount(), 1);
    EXPECT_EQ(dynamic_cast<DrawablePolyExtruded*>(lShaped.child(0)), nullptr);
    auto* slab = dynamic_cast<DrawableSlab*>(lShaped.child(0));
    ASSERT_NE(slab, nullptr);
    EXPECT_STREQ(slab->className().name, "Drawable");
    EXPECT_EQ(slab->material->mapping, mapping::kHorizontal);
    EXPECT_EQ(slab->material->referenceEdge, 0);
    EXPECT_EQ(slab->seed, firstDraw(5));
    ASSERT_EQ(slab->shape.contours.size(), 1u);
    EXPECT_FALSE(slab->shape.holes[0]);
    EXPECT_EQ(slab->shape.contours[0], ell);
    // A negative height reaches down from the level.
    EXPECT_FLOAT_EQ(slab->extrusion.level, -1.0f);
    EXPECT_FLOAT_EQ(slab->extrusion.height, 3.0f);
}

TEST(Slab, TiledFloorsAreHorizontalWhateverTheirShape) {
    TypConFloorTiled floor(rectangle(8, 3), Extrusion{0, 0.05f}, nullptr, 4, "Floortile1");
    floor.generate();
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(floor.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal);
    EXPECT_EQ(prism->material->referenceEdge, 1);  // (0,3)-(8,3)
    EXPECT_FALSE(floor.allowsImpostor());

    const Poly ell({{0, 0}, {0, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 0}});
    TypConFloorTiled lFloor(ell, Extrusion{0, 0.05f}, nullptr, 4, "Floortile1");
    lFloor.generate();
    auto* slab = dynamic_cast<DrawableSlab*>(lFloor.child(0));
    ASSERT_NE(slab, nullptr);
    EXPECT_EQ(slab->material->mapping, mapping::kHorizontal);
    EXPECT_EQ(slab->material->referenceEdge, 0);

    TypConFloorTiled nothing(Poly({{0, 0}, {1, 1}}), Extrusion{0, 0.05f}, nullptr, 4, "Floortile1");
    nothing.generate();
    EXPECT_EQ(nothing.childCount(), 0);
}

TEST(Pillar, NegativeHeightReachesDownAndTheTextureRunsObliquelyRotated) {
    TypConPillarSimple pillar(rectangle(0.3f, 0.3f), Extrusion{5, -3, 1, 2}, nullptr, 6, "Lime1");
    RandomGenerator::generation().seed(6);
    pillar.generate();
    ASSERT_EQ(pillar.childCount(), 1);
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(pillar.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_FLOAT_EQ(prism->extrusion.level, 2.0f);
    EXPECT_FLOAT_EQ(prism->extrusion.height, 3.0f);
    EXPECT_EQ(prism->extrusion.lowLimit, 0);
    EXPECT_EQ(prism->extrusion.highLimit, 0);
    EXPECT_EQ(prism->material->mapping, 13);
    EXPECT_EQ(prism->material->referenceEdge, 0);
    EXPECT_EQ(prism->seed, firstDraw(6));
    EXPECT_STREQ(pillar.className().name, "TypConPillarSimple");
}

TEST(Footprint, SquareEndsWithoutCrossingsPositivelyOrientedLeftSideFirst) {
    const Line line(0, 0, 4, 0, 0.3f);
    const Poly p = TypLinPanelSimple::footprint(line, 0);
    ASSERT_EQ(p.count(), 4);
    EXPECT_TRUE(p.isValid());
    EXPECT_NEAR(p.area(), 4 * 0.3f, 1e-4f);
    // Edge 1 is the left long side (limit 3), edge 3 the right one (limit 2).
    const Segment left = p.edge(1), right = p.edge(3);
    EXPECT_EQ(left.limit, TypLinPanelSimple::kLeftSide);
    EXPECT_EQ(right.limit, TypLinPanelSimple::kRightSide);
    EXPECT_NEAR(left.y0, 0.15f, 1e-6f);
    EXPECT_NEAR(left.y1, 0.15f, 1e-6f);
    EXPECT_NEAR(right.y0, -0.15f, 1e-6f);
    EXPECT_NEAR(left.x1 - left.x0, 4.0f, 1e-6f);  // runs along the line
    EXPECT_EQ(p.edge(0).limit, TypLinPanelSimple::kStartEnd);
    EXPECT_EQ(p.edge(2).limit, TypLinPanelSimple::kEndEnd);
}

TEST(Footprint, WidthReductionKeepsTheRequestedThicknessOnOneSide) {
    const Line line(0, 0, 4, 0, 0.3f);
    // 0.1: the left side moves in, 0.1 of the width is left against the right side.
    Poly p = TypLinPanelSimple::footprint(line, 0.1f);
    ASSERT_EQ(p.count(), 4);
    EXPECT_NEAR(p.area(), 0.4f, 1e-4f);
    EXPECT_EQ(xsAt(p, -0.15f).size(), 2u);
    EXPECT_EQ(xsAt(p, -0.05f).size(), 2u);
    EXPECT_TRUE(xsAt(p, 0.15f).empty());
    // -0.1: the other way round.
    p = TypLinPanelSimple::footprint(line, -0.1f);
    EXPECT_NEAR(p.area(), 0.4f, 1e-4f);
    EXPECT_EQ(xsAt(p, 0.15f).size(), 2u);
    EXPECT_EQ(xsAt(p, 0.05f).size(), 2u);
    EXPECT_TRUE(xsAt(p, -0.15f).empty());
    // As wide as the line or wider: the full width stays.
    for (float r : {0.3f, -0.3f, 0.5f, 1e9f, NAN}) {
        p = TypLinPanelSimple::footprint(line, r);
        EXPECT_NEAR(p.area(), 1.2f, 1e-4f) << r;
    }
}

TEST(Footprint, EndsFollowTheCrossingElementAtQuarterAndRightAngles) {
    // Square crossing of a 0.3 element at the end: cut square at its near face.
    Line square(0, 0, 4, 0, 0.2f);
    square.crossings.push_back(crossingAt(1, kPi / 2, 0.3f));
    Poly p = TypLinPanelSimple::footprint(square, 0);
    ASSERT_EQ(p.count(), 4);
    EXPECT_NEAR(xsAt(p, 0.1f).back(), 3.85f, 1e-4f);
    EXPECT_NEAR(xsAt(p, -0.1f).back(), 3.85f, 1e-4f);

    // At pi/4 the end is slanted along the crossing element's face.
    Line slanted(0, 0, 4, 0, 0.2f);
    slanted.crossings.push_back(crossingAt(1, kPi / 4, 0.3f));
    p = TypLinPanelSimple::footprint(slanted, 0);
    ASSERT_EQ(p.count(), 4);
    const float e = 0.3f / (2 * std::sin(kPi / 4));
    EXPECT_NEAR(xsAt(p, 0.1f).back(), 4 + 0.1f - e, 1e-4f);
    EXPECT_NEAR(xsAt(p, -0.1f).back(), 4 - 0.1f - e, 1e-4f);
    // The same crossing at the start cuts at the far face, and the angle is taken modulo pi.
    Line start(0, 0, 4, 0, 0.2f);
    start.crossings.push_back(crossingAt(0, kPi / 4 + kPi, 0.3f));
    p = TypLinPanelSimple::footprint(start, 0);
    EXPECT_NEAR(xsAt(p, 0.1f).front(), 0.1f + e, 1e-4f);
    EXPECT_NEAR(xsAt(p, -0.1f).front(), -0.1f + e, 1e-4f);
    EXPECT_TRUE(p.isValid());

    // A crossing along the line leaves the end square.
    Line along(0, 0, 4, 0, 0.2f);
    along.crossings.push_back(crossingAt(1, 0, 0.3f));
    p = TypLinPanelSimple::footprint(along, 0);
    EXPECT_NEAR(xsAt(p, 0.1f).back(), 4.0f, 1e-5f);
    // An interior crossing shapes no end.
    Line interior(0, 0, 4, 0, 0.2f);
    interior.crossings.push_back(crossingAt(0.5f, kPi / 4, 0.3f));
    EXPECT_NEAR(TypLinPanelSimple::footprint(interior, 0).area(), 0.8f, 1e-4f);
}

TEST(Footprint, ZeroLengthCrossedEndsAndNoWidthGiveNothing) {
    EXPECT_TRUE(TypLinPanelSimple::footprint(Line(1, 1, 1, 1, 0.3f), 0).empty());
    EXPECT_TRUE(TypLinPanelSimple::footprint(Line(0, 0, 4, 0, 0), 0).empty());
    EXPECT_TRUE(TypLinPanelSimple::footprint(Line(0, 0, 4, 0, -0.2f), 0).empty());
    EXPECT_TRUE(TypLinPanelSimple::footprint(Line(0, 0, NAN, 0, 0.2f), 0).empty());
    // A piece shorter than its two mitres: the ends cross each other.
    Line shortPiece(0, 0, 0.2f, 0, 0.2f);
    shortPiece.crossings.push_back(crossingAt(0, kPi / 4, 0.3f));
    shortPiece.crossings.push_back(crossingAt(1, kPi / 4, 0.3f));
    EXPECT_TRUE(TypLinPanelSimple::footprint(shortPiece, 0).empty());
    TypLinPanelSimple panel(shortPiece, Extrusion{0, 3}, nullptr, 1, "Brick1");
    panel.generate();
    EXPECT_EQ(panel.childCount(), 0);
}

TEST(Footprint, EndsMeetingTwoElementsTakeOneMitreOnEachSide) {
    Line line(0, 0, 4, 0, 0.2f);
    Crossing c = crossingAt(1, kPi / 2, 0.2f, 4);
    c.afterAngle = 3 * kPi / 2;
    line.crossings.push_back(c);
    const Poly p = TypLinPanelSimple::footprint(line, 0);
    ASSERT_EQ(p.count(), 5);
    EXPECT_TRUE(p.isValid());
    // Equal angles: two corners.
    line.crossings[0].afterAngle = kPi / 2;
    EXPECT_EQ(TypLinPanelSimple::footprint(line, 0).count(), 4);
}

TEST(Panel, EveryPanelOfABuildingTakesItsSeedAndDrawsNothingFromTheGenerator) {
    TypConSlabSimple building(rectangle(10, 10), Extrusion{0, 10}, nullptr, 777, "Lime1");
    TypLinPanelSimple a(Line(0, 0, 4, 0, 0.3f), Extrusion{0, -3}, &building, 11, nullptr);
    TypLinPanelSimple b(Line(4, 0, 8, 0, 0.3f), Extrusion{0, 3}, &building, 12, "Lime1", 0.1f);
    RandomGenerator::generation().seed(3);
    a.generate();
    b.generate();
    EXPECT_EQ(static_cast<uint32_t>(RandomGenerator::generation().next()), firstDraw(3));
    ASSERT_EQ(a.childCount(), 1);
    ASSERT_EQ(b.childCount(), 1);
    auto* pa = dynamic_cast<DrawablePolyExtruded*>(a.child(0));
    auto* pb = dynamic_cast<DrawablePolyExtruded*>(b.child(0));
    ASSERT_NE(pa, nullptr);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pa->seed, 777u);
    EXPECT_EQ(pb->seed, 777u);
    EXPECT_EQ(pa->material->mapping, mapping::kVertical | mapping::kOblique);
    EXPECT_EQ(pa->material->referenceEdge, 1);
    EXPECT_EQ(nameOf(*pa->material), nullptr);
    EXPECT_STREQ(nameOf(*pb->material), "Lime1");
    EXPECT_FLOAT_EQ(pa->extrusion.level, -3.0f);
    EXPECT_NEAR(pb->poly.area(), 0.4f, 1e-4f);
    // The same tile-aligned texture offsets on both panels.
    TypLinPanelSimple c(Line(8, 0, 12, 0, 0.3f), Extrusion{0, 3}, &building, 14, "Lime1");
    c.generate();
    auto* pc = dynamic_cast<DrawablePolyExtruded*>(c.child(0));
    ASSERT_NE(pc, nullptr);
    float ub = -1, vb = -1, sb = -1, uc = -2, vc = -2, sc = -2;
    pb->material->seedOffsets(pb->seed);
    ASSERT_TRUE(pb->material->textureOffset(ub, vb, sb));
    pc->material->seedOffsets(pc->seed);
    ASSERT_TRUE(pc->material->textureOffset(uc, vc, sc));
    EXPECT_EQ(ub, uc);
    EXPECT_EQ(vb, vc);
    EXPECT_EQ(sb, sc);
    // Without a context a panel takes its own seed.
    TypLinPanelSimple alone(Line(0, 0, 4, 0, 0.3f), Extrusion{0, 3}, nullptr, 13, "Lime1");
    alone.generate();
    EXPECT_EQ(alone.child(0)->seed, 13u);
}

TEST(Beam, DrawsItsSeedAndLiesHorizontallyOblique) {
    TypConSlabSimple building(rectangle(10, 10), Extrusion{0, 10}, nullptr, 777, "Lime1");
    TypLinBeamSimple beam(Line(0, 0, 4, 0, 0.3f), Extrusion{2.7f, 0.3f}, &building, 21, "Wood1");
    RandomGenerator::generation().seed(21);
    beam.generate();
    ASSERT_EQ(beam.childCount(), 1);
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(beam.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->seed, firstDraw(21));
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal | mapping::kOblique);
    EXPECT_EQ(prism->material->referenceEdge, 1);
    EXPECT_STREQ(nameOf(*prism->material), "Wood1");
    EXPECT_STREQ(beam.className().name, "TypLinBeamSimple");
}

TEST(Wall, UnboundWallsAreBrickPorticosAreItsVariant) {
    const Line line(0, 0, 5, 0, 0.4f, 1);
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, 1, 9, nullptr);
    EXPECT_STREQ(nameOf(*wall.material), "Brick1");
    std::unique_ptr<Drawable> variant(wall.createVariant(1));
    auto* portico = dynamic_cast<TypLinPortico*>(variant.get());
    ASSERT_NE(portico, nullptr);
    EXPECT_EQ(portico->seed, wall.seed);
    EXPECT_EQ(portico->openingsKind, 1);
    EXPECT_FLOAT_EQ(portico->line.x1, 5.0f);
    std::unique_ptr<Drawable> back(portico->createVariant(0));
    EXPECT_NE(dynamic_cast<TypLinWallSimple*>(back.get()), nullptr);
    EXPECT_EQ(wall.createVariant(2), nullptr);
}
