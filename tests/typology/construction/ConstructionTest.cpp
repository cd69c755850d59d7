#include "typology/construction/TypConSlabSimple.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "core/DrawablePolyExtruded.h"
#include "core/DrawableSlab.h"
#include "core/DrawableSlopedPanel.h"
#include "core/NullRenderContext.h"
#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinBeamSimplePos.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinOpeningBalcony.h"
#include "typology/construction/TypLinOpeningBanister.h"
#include "typology/construction/TypLinOpeningSimple.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPanelSloping.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSection.h"
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

// A leaf that makes one drawable, seeded with the first draw after the
// generation generator was seeded with `seed`.
struct OneDrawableLeaf {
    const char* what;
    std::function<std::unique_ptr<Desc>()> make;
    int32_t seed;
    int mapping;
    int referenceEdge;
    const char* material;   // the drawable's material name
    const char* className;  // the leaf's; null: not checked here
    // What else the case holds of the leaf and its drawable.
    std::function<void(Desc& leaf, Drawable& drawable)> more;
};

TEST(Leaves, EachMakesOneDrawableSeededByItsFirstDrawWithItsOwnMapping) {
    const Poly ell({{0, 0}, {0, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 0}});
    ASSERT_GT(ell.area2(), 0);
    const Line sloping(0, 0, 4, 0, 0.2f);
    TypConSlabSimple building(rectangle(10, 10), Extrusion{0, 10}, nullptr, 777, "Lime1");
    const OneDrawableLeaf cases[] = {
        {"rectangular slab: extruded along its longest edge",
         [] { return std::make_unique<TypConSlabSimple>(rectangle(3, 8), Extrusion{2, 0.3f}, nullptr, 4,
                                                         "Woodplanks1"); },
         4, mapping::kHorizontal | mapping::kOblique, 0 /* (0,0)-(0,8), the first of the two long edges */,
         "Woodplanks1", nullptr,
         [](Desc& leaf, Drawable& d) {
             EXPECT_NE(dynamic_cast<DrawablePolyExtruded*>(&d), nullptr);
             EXPECT_EQ(d.parent, &leaf);
         }},
        {"L-shaped slab: a slab laid horizontally",
         [&] { return std::make_unique<TypConSlabSimple>(ell, Extrusion{2, -3}, nullptr, 4, "Woodplanks1"); },
         5, mapping::kHorizontal, 0, "Woodplanks1", nullptr,
         [&](Desc&, Drawable& d) {
             EXPECT_EQ(dynamic_cast<DrawablePolyExtruded*>(&d), nullptr);
             auto* slab = dynamic_cast<DrawableSlab*>(&d);
             ASSERT_NE(slab, nullptr);
             EXPECT_STREQ(slab->className().name, "Drawable");
             ASSERT_EQ(slab->shape.contours.size(), 1u);
             EXPECT_FALSE(slab->shape.holes[0]);
             EXPECT_EQ(slab->shape.contours[0], ell);
             // A negative height reaches down from the level.
             EXPECT_FLOAT_EQ(slab->extrusion.level, -1.0f);
             EXPECT_FLOAT_EQ(slab->extrusion.height, 3.0f);
         }},
        {"pillar: a negative height reaches down, the texture runs obliquely rotated",
         [] { return std::make_unique<TypConPillarSimple>(rectangle(0.3f, 0.3f), Extrusion{5, -3, 1, 2}, nullptr, 6,
                                                           "Lime1"); },
         6, 13, 0, "Lime1", "TypConPillarSimple",
         [](Desc&, Drawable& d) {
             auto* prism = dynamic_cast<DrawablePolyExtruded*>(&d);
             ASSERT_NE(prism, nullptr);
             EXPECT_FLOAT_EQ(prism->extrusion.level, 2.0f);
             EXPECT_FLOAT_EQ(prism->extrusion.height, 3.0f);
             EXPECT_EQ(prism->extrusion.lowLimit, 0);
             EXPECT_EQ(prism->extrusion.highLimit, 0);
         }},
        {"beam: lies horizontally oblique",
         [&] {
             // Within a building a beam still takes its own seed and material.
             return std::make_unique<TypLinBeamSimple>(Line(0, 0, 4, 0, 0.3f), Extrusion{2.7f, 0.3f}, &building, 21,
                                                       "Wood1");
         },
         21, mapping::kHorizontal | mapping::kOblique, 1, "Wood1", "TypLinBeamSimple",
         [](Desc&, Drawable& d) { EXPECT_NE(dynamic_cast<DrawablePolyExtruded*>(&d), nullptr); }},
        {"placed beam: drawn and sorted in its own frame",
         [] {
             return std::make_unique<TypLinBeamSimplePos>(Line(0, 0, 4, 0, 0.3f), Extrusion{2.7f, 0.3f},
                                                          Matrix44::translation(0, 0, 50), nullptr, 21, "Wood1");
         },
         21, mapping::kHorizontal | mapping::kOblique, 1, "Wood1", "TypLinBeamSimplePos",
         [](Desc& leaf, Drawable& d) {
             EXPECT_NE(dynamic_cast<DrawablePolyExtruded*>(&d), nullptr);
             auto& beam = static_cast<TypLinBeamSimplePos&>(leaf);
             ASSERT_EQ(beam.localTransform(), &beam.placement);
             // Sorted by the depth of its placed centre.
             TypLinBeamSimple plain(Line(0, 0, 4, 0, 0.3f), Extrusion{2.7f, 0.3f}, nullptr, 21, "Wood1");
             beam.computeDepth(Matrix44::identity());
             plain.computeDepth(Matrix44::identity());
             EXPECT_NEAR(std::fabs(beam.depth - plain.depth), 50.0f, 1e-3f);
             // Drawn with the placement, which is taken off again afterwards.
             NullRenderContext ctx;
             ctx.model = ctx.modelView = Matrix44::identity();
             beam.draw(ctx);
             EXPECT_EQ(ctx.model.m[11], 0.0f);
             EXPECT_EQ(ctx.modelView.m[11], 0.0f);
         }},
        {"sloping panel: runs from its start extrusion to its end, mapped vertically",
         [&] {
             return std::make_unique<TypLinPanelSloping>(sloping, Extrusion{0, 1}, Extrusion{3, -1}, nullptr, 5,
                                                         "Brick1");
         },
         5, mapping::kVertical, 1, "Brick1", nullptr,
         [&](Desc&, Drawable& d) {
             auto* slope = dynamic_cast<DrawableSlopedPanel*>(&d);
             ASSERT_NE(slope, nullptr);
             EXPECT_EQ(slope->footprint, TypLinPanelSimple::footprint(sloping, 0));
             EXPECT_FLOAT_EQ(slope->start.height, 1.0f);
             EXPECT_FLOAT_EQ(slope->end.level, 2.0f);
             EXPECT_FLOAT_EQ(slope->end.height, 1.0f);
             EXPECT_STREQ(slope->className().name, "Drawable");
             NullRenderContext ctx;
             slope->draw(ctx);
             ASSERT_EQ(ctx.calls.size(), 1u);
             EXPECT_EQ(ctx.calls[0].op, "slopedPanel");
         }},
    };
    for (const OneDrawableLeaf& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Desc> leaf = c.make();
        RandomGenerator::generation().seed(c.seed);
        leaf->generate();
        ASSERT_EQ(leaf->childCount(), 1);
        Drawable& d = *leaf->child(0);
        EXPECT_EQ(d.seed, firstDraw(c.seed));
        EXPECT_EQ(d.material->mapping, c.mapping);
        EXPECT_EQ(d.material->referenceEdge, c.referenceEdge);
        EXPECT_STREQ(nameOf(*d.material), c.material);
        if (c.className) {
            EXPECT_STREQ(leaf->className().name, c.className);
        }
        c.more(*leaf, d);
    }
}

TEST(Leaves, ShapesWithoutAreaOrLengthMakeNothing) {
    // A piece shorter than its two mitres: the ends cross each other.
    Line shortPiece(0, 0, 0.2f, 0, 0.2f);
    shortPiece.crossings.push_back(crossingAt(0, kPi / 4, 0.3f));
    shortPiece.crossings.push_back(crossingAt(1, kPi / 4, 0.3f));
    EXPECT_TRUE(TypLinPanelSimple::footprint(shortPiece, 0).empty());
    const std::pair<const char*, std::function<std::unique_ptr<Desc>()>> cases[] = {
        {"tiled floor of two points",
         [] { return std::make_unique<TypConFloorTiled>(Poly({{0, 0}, {1, 1}}), Extrusion{0, 0.05f}, nullptr, 4,
                                                         "Floortile1"); }},
        {"sloping panel of no length",
         [] { return std::make_unique<TypLinPanelSloping>(Line(1, 1, 1, 1, 0.2f), Extrusion{0, 1}, Extrusion{3, 1},
                                                           nullptr, 5, "Brick1"); }},
        {"panel shorter than its mitres",
         [&] { return std::make_unique<TypLinPanelSimple>(shortPiece, Extrusion{0, 3}, nullptr, 1, "Brick1"); }},
    };
    for (const auto& [what, make] : cases) {
        std::unique_ptr<Desc> leaf = make();
        leaf->generate();
        EXPECT_EQ(leaf->childCount(), 0) << what;
    }
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

namespace {

std::vector<uint32_t> drawsFrom(int32_t s, int n) {
    RandomGenerator r;
    r.seed(s);
    std::vector<uint32_t> out;
    for (int i = 0; i < n; ++i)
        out.push_back(static_cast<uint32_t>(r.next()));
    return out;
}

}  // namespace

TEST(Wall, WithoutCuttingCrossingsOneSectionAndNoOpening) {
    Line line(0, 0, 6, 0, 0.3f);
    TypLinWallSimple plain(line, Extrusion{0, 3}, nullptr, 0, 1, 9, "Lime1");
    RandomGenerator::generation().seed(9);
    plain.generate();
    ASSERT_EQ(plain.childCount(), 1);
    auto* section = dynamic_cast<TypLinWallSection*>(plain.child(0));
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->seed, firstDraw(9));
    EXPECT_STREQ(nameOf(*section->material), "Lime1");
    EXPECT_FLOAT_EQ(section->line.length(), 6.0f);

    line.crossings.push_back(crossingAt(0.5f, kPi / 2, 0.3f, 1));  // a line ending on the interior
    TypLinWallSimple tee(line, Extrusion{0, 3}, nullptr, 0, 1, 9, "Lime1");
    tee.generate();
    ASSERT_EQ(tee.childCount(), 1);
    EXPECT_NE(dynamic_cast<TypLinWallSection*>(tee.child(0)), nullptr);
}

TEST(Wall, TwoCrossingsGiveThreeSectionsAndTwoOpeningsSeededInOrder) {
    Line line(0, 0, 8, 0, 0.3f);
    Crossing a = crossingAt(0.25f, kPi / 2, 1.0f), b = crossingAt(0.75f, kPi / 2, 1.2f);
    a.limit = 3;
    b.limit = 2;
    line.crossings = {a, b};
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, TypLinWall::kOpeningsSimple, 9, "Lime1");
    RandomGenerator::generation().seed(9);
    wall.generate();
    ASSERT_EQ(wall.childCount(), 5);
    const auto sections = childrenOf<TypLinWallSection>(wall);
    const auto openings = childrenOf<TypLinOpening>(wall);
    ASSERT_EQ(sections.size(), 3u);
    ASSERT_EQ(openings.size(), 2u);
    const float ends[4] = {0, 2, 6, 8};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(sections[i]->line.x0, ends[i], 1e-5f);
        EXPECT_NEAR(sections[i]->line.x1, ends[i + 1], 1e-5f);
    }
    // Each inner end carries its crossing, moved to the piece's end.
    ASSERT_EQ(sections[1]->line.crossingCount(), 2);
    EXPECT_EQ(sections[1]->line.crossings[0].t, 0.0f);
    EXPECT_EQ(sections[1]->line.crossings[1].t, 1.0f);
    EXPECT_EQ(sections[0]->line.crossingCount(), 1);
    const std::vector<uint32_t> draws = drawsFrom(9, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(wall.child(i)->seed, draws[i]) << i;
    // The openings span the crossing elements, as long as they are wide at a right angle.
    EXPECT_NE(dynamic_cast<TypLinOpeningSimple*>(openings[0]), nullptr);
    EXPECT_NEAR(openings[0]->line.x0, 1.5f, 1e-5f);
    EXPECT_NEAR(openings[0]->line.x1, 2.5f, 1e-5f);
    EXPECT_NEAR(openings[1]->line.length(), 1.2f, 1e-5f);
    EXPECT_EQ(openings[0]->line.limit, 3);
    EXPECT_EQ(openings[1]->line.limit, 2);
    EXPECT_FLOAT_EQ(openings[0]->line.width, 0.3f);
    ASSERT_EQ(openings[0]->line.crossingCount(), 2);
    EXPECT_EQ(openings[0]->line.crossings[1].t, 1.0f);
    EXPECT_EQ(openings[0]->line.crossings[1].kind, 2);

    // Sections and openings together cover the wall without overlap.
    for (auto* s : sections)
        s->generate();
    float covered = 0;
    for (auto* s : sections) {
        ASSERT_EQ(s->childCount(), 1);
        auto* panel = dynamic_cast<TypLinPanelSimple*>(s->child(0));
        ASSERT_NE(panel, nullptr);
        panel->generate();
        auto* prism = dynamic_cast<DrawablePolyExtruded*>(panel->child(0));
        ASSERT_NE(prism, nullptr);
        covered += prism->poly.area() / 0.3f;
    }
    EXPECT_NEAR(covered + 1.0f + 1.2f, 8.0f, 1e-3f);
}

TEST(Wall, CrossingsAtTheEndsOpenWithoutCutting) {
    Line line(0, 0, 6, 0, 0.3f);
    line.crossings = {crossingAt(0, kPi / 2, 0.3f, 4), crossingAt(1, kPi / 2, 0.3f, 4)};
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, TypLinWall::kOpeningsEmpty, 9, "Lime1");
    RandomGenerator::generation().seed(9);
    wall.generate();
    const auto sections = childrenOf<TypLinWallSection>(wall);
    const auto openings = childrenOf<TypLinOpening>(wall);
    // t = 0 starts a section of length 0; t = 1 starts none but still opens.
    ASSERT_EQ(sections.size(), 2u);
    ASSERT_EQ(openings.size(), 2u);
    EXPECT_FLOAT_EQ(sections[0]->line.length(), 0.0f);
    EXPECT_FLOAT_EQ(sections[1]->line.length(), 6.0f);
    EXPECT_STREQ(openings[0]->className().name, "TypLinOpening");
    sections[0]->generate();
    auto* empty = dynamic_cast<TypLinPanelSimple*>(sections[0]->child(0));
    ASSERT_NE(empty, nullptr);
    empty->generate();
    EXPECT_EQ(empty->childCount(), 0);
    // The long section is cut square at both crossing elements' faces.
    sections[1]->generate();
    auto* panel = dynamic_cast<TypLinPanelSimple*>(sections[1]->child(0));
    panel->generate();
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(panel->child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_NEAR(prism->poly.area(), (6 - 0.3f) * 0.3f, 1e-4f);
    // An empty opening builds nothing in its gap.
    openings[0]->generate();
    EXPECT_EQ(openings[0]->childCount(), 0);

    // Unknown kinds make no child at their places.
    TypLinWallSimple unknown(line, Extrusion{0, 3}, nullptr, 7, 9, 9, "Lime1");
    unknown.generate();
    EXPECT_EQ(unknown.childCount(), 0);
}

TEST(Portico, SectionsAtTheEndsPillarBetweenLintelAtLeastThirtyCentimetresAndOpenings) {
    TypConSlabSimple building(rectangle(10, 10), Extrusion{0, 10}, nullptr, 777, "Lime1");
    Line line(0, 0, 9, 0, 0.2f);
    line.crossings = {crossingAt(1.0f / 3, kPi / 2, 2.0f), crossingAt(2.0f / 3, kPi / 2, 2.0f)};
    TypLinPortico portico(line, Extrusion{0, 3}, &building, 0, TypLinWall::kOpeningsBanister, 5, "Wood1");
    RandomGenerator::generation().seed(5);
    portico.generate();
    ASSERT_EQ(portico.childCount(), 6);
    EXPECT_NE(dynamic_cast<TypLinWallSection*>(portico.child(0)), nullptr);
    auto* pillar = dynamic_cast<TypConPillarSimple*>(portico.child(1));
    ASSERT_NE(pillar, nullptr);
    EXPECT_NE(dynamic_cast<TypLinWallSection*>(portico.child(2)), nullptr);
    auto* lintel = dynamic_cast<TypLinBeamSimple*>(portico.child(3));
    ASSERT_NE(lintel, nullptr);
    EXPECT_NE(dynamic_cast<TypLinOpeningBanister*>(portico.child(4)), nullptr);
    EXPECT_NE(dynamic_cast<TypLinOpeningBanister*>(portico.child(5)), nullptr);
    const std::vector<uint32_t> draws = drawsFrom(5, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(portico.child(i)->seed, draws[i]) << i;
    // Width 0.2: lintel and pillars 0.3 thick.
    EXPECT_FLOAT_EQ(lintel->extrusion.level, 2.7f);
    EXPECT_FLOAT_EQ(lintel->extrusion.height, 0.3f);
    EXPECT_FLOAT_EQ(lintel->line.length(), 9.0f);
    EXPECT_FLOAT_EQ(pillar->extrusion.level, 0.0f);
    EXPECT_FLOAT_EQ(pillar->extrusion.height, 2.7f);
    // The pillar block fills the middle piece between the two openings.
    EXPECT_NEAR(pillar->poly.area(), (3 - 2.0f) * 0.2f, 1e-4f);
    // Sections in the building's material, pillar, lintel and openings in the portico's.
    EXPECT_STREQ(nameOf(*portico.child(0)->material), "Lime1");
    EXPECT_STREQ(nameOf(*portico.child(2)->material), "Lime1");
    EXPECT_STREQ(nameOf(*pillar->material), "Wood1");
    EXPECT_STREQ(nameOf(*lintel->material), "Wood1");
    EXPECT_STREQ(nameOf(*portico.child(4)->material), "Wood1");
    EXPECT_FLOAT_EQ(dynamic_cast<TypLinOpening*>(portico.child(4))->extrusion.height, 2.7f);

    // Lower than its lintel is thick: the space below reaches down from the level.
    TypLinPortico low(line, Extrusion{4, 0.1f}, &building, 0, 0, 5, "Wood1");
    low.generate();
    auto* lowPillar = dynamic_cast<TypConPillarSimple*>(low.child(1));
    ASSERT_NE(lowPillar, nullptr);
    EXPECT_NEAR(lowPillar->extrusion.level, 3.8f, 1e-5f);
    EXPECT_NEAR(lowPillar->extrusion.height, 0.2f, 1e-5f);
    // Without crossings: one section, the lintel, no opening.
    TypLinPortico bare(Line(0, 0, 9, 0, 0.5f), Extrusion{0, 3}, &building, 0, 1, 5, "Wood1");
    bare.generate();
    ASSERT_EQ(bare.childCount(), 2);
    EXPECT_FLOAT_EQ(dynamic_cast<TypLinBeamSimple*>(bare.child(1))->extrusion.height, 0.5f);
}

TEST(Wall, VariantsKeepLineSeedAndKinds) {
    Line line(0, 0, 5, 0, 0.4f, 1);
    line.crossings.push_back(crossingAt(0.5f, kPi / 2, 1));
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, 2, 9, "Lime1");
    std::unique_ptr<Drawable> portico(wall.createVariant(1));
    auto* p = dynamic_cast<TypLinPortico*>(portico.get());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->seed, 9u);
    EXPECT_EQ(p->line.crossingCount(), 1);
    EXPECT_EQ(p->openingsKind, 2);
    EXPECT_EQ(p->variant, 1);
    EXPECT_STREQ(nameOf(*p->material), "Lime1");
    TypLinWallSection section(line, Extrusion{0, 3}, nullptr, 4, "Lime1");
    std::unique_ptr<Drawable> same(section.createVariant(0));
    ASSERT_NE(dynamic_cast<TypLinWallSection*>(same.get()), nullptr);
    EXPECT_EQ(same->seed, 4u);
    EXPECT_EQ(section.createVariant(1), nullptr);
    TypLinOpening opening(line, Extrusion{0, 3}, nullptr, 4, "Lime1");
    std::unique_ptr<Drawable> balcony(opening.createVariant(3));
    EXPECT_NE(dynamic_cast<TypLinOpeningBalcony*>(balcony.get()), nullptr);
    EXPECT_EQ(opening.createVariant(4), nullptr);
    // The gap of a crossing at pi/4 is longer by 1/sin; one along the wall keeps its width.
    Crossing slanted = crossingAt(0.5f, kPi / 4, 1);
    EXPECT_NEAR(TypLinWall::openingAt(line, slanted).length(), 1 / std::sin(kPi / 4), 1e-4f);
    EXPECT_NEAR(TypLinWall::openingAt(line, crossingAt(0.5f, 0, 1)).length(), 1.0f, 1e-5f);
}

