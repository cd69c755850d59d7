#include "typology/town/TypEst.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypBuiSite.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

// A w x h rectangle in the system's orientation (positive area2), its first
// point at (x, y), every edge with the given limit.
Poly rectangle(float x, float y, float w, float h, uint8_t limit = 0) {
    return Poly({{x, y, limit}, {x, y + h, limit}, {x + w, y + h, limit}, {x + w, y, limit}});
}

std::unique_ptr<TypBloIrregular> makeBlock(bool urban, float estatesSide = 20.0f) {
    return std::make_unique<TypBloIrregular>(rectangle(0, 0, 200, 200), std::vector<GraphNode*>{}, estatesSide,
                                             12.0f, urban, nullptr, nullptr, 77, "Slate1", 0.0f, 85.0f,
                                             std::vector<float>(4, 0.0f));
}

std::unique_ptr<TypEstCourt> makeCourtEstate(const Poly& poly, TypBlo* block, uint32_t seed, float overHeight = 12.0f,
                                             std::vector<float> widths = {}) {
    if (widths.empty())
        widths.assign(poly.count(), 0.0f);
    return std::make_unique<TypEstCourt>(poly, std::vector<GraphNode*>{}, overHeight, nullptr, block, seed, "Slate1",
                                         6.0f, 0.0f, 10.0f, std::move(widths));
}

}  // namespace

// ---- street strips ----

TEST(EstateStrips, WithoutRoadInEdgesNoStripAndOneSiteOverTheWholePlot) {
    auto block = makeBlock(false, 50.0f);
    TypEstRustic estate(rectangle(0, 0, 40, 30, 8), {}, 6.0f, nullptr, block.get(), 5, "Land1",
                        std::vector<float>(4, 5.0f));
    RandomGenerator::generation().seed(1);
    estate.generate();
    ASSERT_EQ(estate.childCount(), 1);
    auto* site = dynamic_cast<TypBuiSite*>(estate.child(0));
    ASSERT_NE(site, nullptr);
    EXPECT_FLOAT_EQ(site->poly.area(), 1200.0f);
    EXPECT_FLOAT_EQ(site->overHeight, 6.0f);
    EXPECT_FLOAT_EQ(site->extrusion.height, 6.0f);
}

TEST(EstateStrips, WithoutWidthsTheInsetIsEmpty) {
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30, 4), nullptr, 3);
    EXPECT_TRUE(estate->layStreetStrips({}).empty());
    EXPECT_EQ(estate->childCount(), 0);
}

TEST(EstateStrips, RoadInEdgeGetsAStripOfItsWidthAndBecomesAFacade) {
    auto block = makeBlock(true);
    Poly plot = rectangle(0, 0, 30, 40, 8);
    plot[0].limit = 0x14;  // "Road in" at a corner
    auto estate = makeCourtEstate(plot, block.get(), 11, 12.0f, {8.0f, 0.0f, 0.0f, 0.0f});
    RandomGenerator::generation().seed(2);
    const Poly rest = estate->layStreetStrips(estate->widths);
    ASSERT_EQ(estate->childCount(), 1);
    auto* strip = dynamic_cast<TypBuiStreet*>(estate->child(0));
    ASSERT_NE(strip, nullptr);
    EXPECT_NEAR(strip->poly.area(), 8.0f * 40.0f, 1e-3);
    EXPECT_NEAR(rest.area(), 22.0f * 40.0f, 1e-3);
    EXPECT_EQ(rest[0].limit, 1);
    EXPECT_EQ(rest[1].limit, 8);
    EXPECT_STREQ(nameOf(*strip->material), "Road_slate");
    EXPECT_FLOAT_EQ(strip->extrusion.height, 10.0f);
}

TEST(EstateStrips, AnchorTakesTheWidthOfThePointBeforeIt) {
    auto block = makeBlock(false, 50.0f);
    // Edge 0 and edge 1 lie on one street; point 1 was inserted by a cut and carries the cut's width.
    Poly plot({{0, 0, 0x14}, {0, 20, 0x24}, {0, 40, 8}, {30, 40, 8}, {30, 0, 8}});
    TypEstRustic estate(plot, {}, 6.0f, nullptr, block.get(), 9, "Land1", {6.0f, 0.0f, 0.0f, 0.0f, 0.0f});
    RandomGenerator::generation().seed(3);
    const Poly rest = estate.layStreetStrips(estate.widths);
    ASSERT_EQ(estate.childCount(), 2);
    EXPECT_NEAR(childArea(estate), 6.0f * 40.0f, 1e-3);
    EXPECT_NEAR(rest.area(), 24.0f * 40.0f, 1e-3);
    // The rustic block's pieces are plain streets of "Road1".
    for (auto* s : childrenOf<TypBuiStreet>(estate)) {
        EXPECT_STREQ(s->className().name, "TypBuiStreet");
        EXPECT_STREQ(nameOf(*s->material), "Road1");
    }
}

TEST(EstateStrips, AllStripsOfAnUrbanEstateShareTheirClass) {
    auto block = makeBlock(true);
    Poly plot = rectangle(0, 0, 30, 40, 4);
    for (uint32_t seed = 100; seed < 140; ++seed) {
        auto estate = makeCourtEstate(plot, block.get(), seed, 12.0f, std::vector<float>(4, 6.0f));
        RandomGenerator::generation().seed(4);
        estate->layStreetStrips(estate->widths);
        const auto strips = childrenOf<TypBuiStreet>(*estate);
        ASSERT_EQ(strips.size(), 4u);
        const int kind = TypEst::streetPieceKind(seed, 0.0f);
        for (auto* s : strips)
            EXPECT_EQ(s->variant, kind) << "seed " << seed;
    }
}

TEST(EstateStrips, StreetPieceClassesFollowTheirShares) {
    int counts[3] = {0, 0, 0};
    for (uint32_t seed = 0; seed < 2000; ++seed) {
        ++counts[TypEst::streetPieceKind(seed, 0.0f)];
        EXPECT_NE(TypEst::streetPieceKind(seed, 10.0f), TypBuiStreet::kMarket);
    }
    // 21 % plain (r <= 20), 70 % 20th century, 9 % market.
    EXPECT_NEAR(counts[TypBuiStreet::kEmpty] / 2000.0, 0.21, 0.04);
    EXPECT_NEAR(counts[TypBuiStreet::kCentury20] / 2000.0, 0.70, 0.04);
    EXPECT_NEAR(counts[TypBuiStreet::kMarket] / 2000.0, 0.09, 0.03);
}

// ---- court layout ----

TEST(CourtEstate, ExactlyOneEntryFacadeBeforeLayout) {
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30), nullptr, 1);
    for (int seed = 0; seed < 50; ++seed) {
        Poly piece({{0, 0, 1}, {0, 10, 1}, {0, 20, 8}, {10, 30, 1}, {20, 30, 9}, {30, 20, 1}, {30, 0, 1}});
        RandomGenerator::generation().seed(seed);
        EXPECT_EQ(estate->markEntryFacade(piece), 5);
        EXPECT_EQ(countLimit(piece, 3), 1);
        EXPECT_EQ(countLimit(piece, 1), 4);
        EXPECT_EQ(countLimit(piece, 0), 2);
    }
    Poly none = rectangle(0, 0, 10, 10, 8);
    RandomGenerator probe = RandomGenerator::generation();
    EXPECT_EQ(estate->markEntryFacade(none), 0);
    EXPECT_EQ(probe.next(), RandomGenerator::generation().next());  // no draw
    EXPECT_EQ(countLimit(none, 0), 4);
}

TEST(CourtEstate, PlotWithoutStreetFacingEdgeBecomesAnOpenSite) {
    int land1 = 0;
    for (uint32_t seed = 0; seed < 200; ++seed) {
        auto estate = makeCourtEstate(rectangle(0, 0, 30, 30, 9), nullptr, seed);
        RandomGenerator::generation().seed(static_cast<int32_t>(seed));
        estate->generate();
        ASSERT_EQ(estate->childCount(), 1);
        auto* site = dynamic_cast<TypBuiSite*>(estate->child(0));
        ASSERT_NE(site, nullptr);
        EXPECT_EQ(countLimit(site->poly, 0), 4);  // no edge faces a street
        land1 += site->material->bound() && std::strcmp(nameOf(*site->material), "Land1") == 0;
    }
    ASSERT_TRUE(Material("Land1").bound()) << "no material data in ../data";
    EXPECT_NEAR(land1 / 200.0, 0.7, 0.1);
}

TEST(CourtEstate, ClassifiesOpenCourtTooWideAndDegenerate) {
    auto estate = makeCourtEstate(rectangle(0, 0, 40, 30), nullptr, 1);
    const Poly piece = rectangle(0, 0, 40, 30);
    EXPECT_EQ(estate->classify(piece, {0, 0, 0, 0}), TypEstCourt::kOpen);
    EXPECT_EQ(estate->classify(piece, {-6, -6, -6, -6}), TypEstCourt::kCourt);
    // Two wings on opposite sides: two runs.
    EXPECT_EQ(estate->classify(piece, {-6, 0, -6, 0}), TypEstCourt::kDegenerate);
    // A run that wraps from the last edge to the first counts once; the
    // open side of the court is 40 - 12 = 28 long, above the 10 allowed.
    EXPECT_EQ(estate->classify(piece, {-6, -6, 0, -6}), TypEstCourt::kTooWide);
    // Wings that meet in the middle leave no court.
    EXPECT_EQ(estate->classify(piece, {-15, -15, -15, -15}), TypEstCourt::kDegenerate);
    // A court edge under a wing shorter than 3.
    EXPECT_EQ(estate->classify(rectangle(0, 0, 20, 14.5f), {-6, -6, -6, -6}), TypEstCourt::kDegenerate);
}

TEST(CourtEstate, SplitCourtCutCarriesLimitFourAndNoWingAlongIt) {
    auto estate = makeCourtEstate(rectangle(0, 0, 60, 20), nullptr, 8);
    RandomGenerator::generation().seed(5);
    Poly piece = rectangle(0, 0, 60, 20);
    piece[0].limit = 3;
    estate->splitCourt(piece, 12.0f);
    const auto buildings = childrenOf<TypBuiCourt>(*estate);
    ASSERT_EQ(buildings.size(), 2u);
    float area = 0;
    for (auto* b : buildings) {
        area += b->poly.area();
        EXPECT_TRUE(b->poly.isValid());
        int cuts = 0;
        for (int e = 0; e < b->poly.count(); ++e)
            if (b->poly[e].limit == 4) {
                ++cuts;
                EXPECT_EQ(b->constructionDepth[e], 0.0f);
            } else {
                EXPECT_LT(b->constructionDepth[e], 0.0f);
            }
        EXPECT_EQ(cuts, 1);
    }
    EXPECT_NEAR(area, 1200.0f, 1e-2);
}

TEST(CourtEstate, ConcavePlotIsSplitOnceIntoConvexPieces) {
    // An L-shaped plot facing the street on its long side:
    //   +----+
    //   |    |
    //   |    +------+
    //   |           |
    //   +-----------+
    Poly plot({{0, 0, 0}, {0, 40, 0}, {20, 40, 0}, {20, 20, 0}, {40, 20, 0}, {40, 0, 4}});
    auto block = makeBlock(true);
    auto estate = makeCourtEstate(plot, block.get(), 21, 12.0f, std::vector<float>(6, 6.0f));
    RandomGenerator::generation().seed(21);
    estate->generate();
    float area = 0;
    int buildings = 0;
    for (auto* c : childrenOf<DescPoly>(*estate)) {
        area += c->poly.area();
        EXPECT_TRUE(c->poly.isValid()) << c->className().name;
        if (dynamic_cast<TypBuiCourt*>(c)) {
            ++buildings;
            EXPECT_TRUE(c->poly.isConvex());
        }
    }
    EXPECT_GE(buildings, 1);
    EXPECT_NEAR(area, plot.area(), plot.area() * 0.01f);
    EXPECT_FALSE(estate->splitPending);
}

TEST(CourtEstate, SmallPlotEndsInBuildingsOrSitesCoveringIt) {
    // Narrow and small pieces cannot hold a court: the wings are reduced.
    for (uint32_t seed = 0; seed < 30; ++seed) {
        const Poly plot = rectangle(0, 0, 14, 9 + seed * 0.5f, 0);
        auto estate = makeCourtEstate(plot, nullptr, seed);
        Poly piece = plot;
        piece[0].limit = 3;
        RandomGenerator::generation().seed(static_cast<int32_t>(seed));
        estate->courtLayout(piece, 12.0f);
        ASSERT_GE(estate->childCount(), 1);
        EXPECT_NEAR(childArea(*estate), plot.area(), plot.area() * 0.01f) << "seed " << seed;
        for (auto* b : childrenOf<TypBuiCourt>(*estate))
            EXPECT_TRUE(b->poly.canInset(b->constructionDepth)) << "seed " << seed;
    }
}

// ---- materials ----

TEST(CourtBuilding, MaterialsDependOnTheEstateSeedOnly) {
    auto& generation = RandomGenerator::generation();
    generation.seed(42);
    RandomGenerator probe = generation;
    bool closed = true;
    const char* roof = TypEstCourt::roofMaterial(1234, 10.0f, closed);
    const char* wall = TypEstCourt::wallMaterial(1234);
    EXPECT_FALSE(closed);
    EXPECT_EQ(probe.next(), generation.next());  // the generation generator was left alone
    generation.seed(7);
    generation.next();
    EXPECT_STREQ(TypEstCourt::roofMaterial(1234, 10.0f, closed), roof);
    EXPECT_STREQ(TypEstCourt::wallMaterial(1234), wall);

    // Two estates with the same seed, generated after different draws.
    auto a = makeCourtEstate(rectangle(0, 0, 30, 30, 1), nullptr, 555);
    auto b = makeCourtEstate(rectangle(0, 0, 30, 30, 1), nullptr, 555);
    generation.seed(1);
    a->generate();
    generation.seed(2);
    for (int i = 0; i < 17; ++i)
        generation.next();
    b->generate();
    const auto ba = childrenOf<TypBuiCourt>(*a);
    const auto bb = childrenOf<TypBuiCourt>(*b);
    ASSERT_FALSE(ba.empty());
    ASSERT_FALSE(bb.empty());
    ASSERT_TRUE(ba[0]->material->bound()) << "no material data in ../data";
    EXPECT_STREQ(nameOf(*ba[0]->material), TypEstCourt::roofMaterial(555, 12.0f, closed));
    EXPECT_STREQ(nameOf(ba[0]->wallMaterial), TypEstCourt::wallMaterial(555));
    EXPECT_STREQ(nameOf(*ba[0]->material), nameOf(*bb[0]->material));
    EXPECT_STREQ(nameOf(ba[0]->wallMaterial), nameOf(bb[0]->wallMaterial));
}

TEST(CourtBuilding, MaterialSharesFollowTheTables) {
    int brick = 0, lime = 0, ochre = 0, blue = 0, slate = 0;
    bool closed = false;
    for (uint32_t seed = 0; seed < 4000; ++seed) {
        const std::string wall = TypEstCourt::wallMaterial(seed);
        brick += wall == "Brick1";
        lime += wall == "Lime1";
        ochre += wall == "Lime_ochre";
        blue += wall == "Lime_blue";
        slate += std::string(TypEstCourt::roofMaterial(seed, 15.0f, closed)) == "Slate1";
        EXPECT_FALSE(closed);
    }
    EXPECT_EQ(brick + lime + ochre + blue, 4000);
    EXPECT_NEAR(brick / 4000.0, 0.50, 0.04);
    EXPECT_NEAR(lime / 4000.0, 0.25, 0.04);
    EXPECT_NEAR(ochre / 4000.0, 0.20, 0.04);
    EXPECT_NEAR(blue / 4000.0, 0.05, 0.02);
    EXPECT_NEAR(slate / 4000.0, 0.50, 0.04);
}

TEST(CourtBuilding, AboveFifteenMetresFloortileAndAClosedCourt) {
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30), nullptr, 31, 20.0f);
    RandomGenerator::generation().seed(1);
    estate->makeCourtBuilding(rectangle(0, 0, 30, 30, 1), {-6, -6, -6, -6}, 20.0f);
    estate->makeCourtBuilding(rectangle(0, 0, 30, 30, 1), {-6, -6, -6, -6}, 15.0f);
    ASSERT_EQ(estate->childCount(), 2);
    auto* tall = dynamic_cast<TypBuiCourt*>(estate->child(0));
    auto* low = dynamic_cast<TypBuiCourt*>(estate->child(1));
    ASSERT_NE(tall, nullptr);
    ASSERT_NE(low, nullptr);
    EXPECT_TRUE(tall->courtClosed);
    EXPECT_FALSE(low->courtClosed);
    EXPECT_FLOAT_EQ(tall->extrusion.height, 20.0f);
    EXPECT_FLOAT_EQ(tall->extrusion.level, estate->extrusion.level);
    bool closed = false;
    EXPECT_STREQ(TypEstCourt::roofMaterial(31, 20.0f, closed), "Floortile1");
    EXPECT_TRUE(closed);
    ASSERT_TRUE(tall->material->bound()) << "no material data in ../data";
    EXPECT_STREQ(nameOf(*tall->material), "Floortile1");
}

TEST(CourtBuilding, TallTriangleDropsTheExtraHeight) {
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30), nullptr, 31, 40.0f);
    RandomGenerator::generation().seed(1);
    estate->makeCourtBuilding(Poly({{0, 0, 1}, {0, 30, 0}, {30, 0, 0}}), {-6, -6, -6}, 40.0f);
    auto* b = dynamic_cast<TypBuiCourt*>(estate->child(0));
    ASSERT_NE(b, nullptr);
    EXPECT_FLOAT_EQ(b->extrusion.height, 40.0f - (40.0f - 4.0f));
}

// ---- classes, parameters, variants ----

TEST(EstateClasses, ParametersAndVariants) {
    auto block = makeBlock(true, 30.0f);
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30, 4), block.get(), 3);
    ParameterList list;
    estate->declareParameters(list);
    EXPECT_EQ(list.name(0), "TypEstCourt");
    EXPECT_GE(list.find("Construction depth min"), 0);
    EXPECT_GE(list.find("Winding (angle)"), 0);
    EXPECT_GE(list.find("Max court side"), 0);
    EXPECT_GT(list.find("TypEst"), list.find("Max court side"));
    EXPECT_GT(list.find("DescPolyLand"), list.find("TypEst"));
    ASSERT_NE(list.variants(), nullptr);
    EXPECT_STREQ(list.variants()->text(), "Urban");
    const int limit = list.find("Poly.p[0] limit");
    ASSERT_GE(limit, 0);
    EXPECT_STREQ(list.record(limit)->text(), "Road in");

    std::unique_ptr<Drawable> rustic(estate->createVariant(1));
    ASSERT_NE(rustic, nullptr);
    EXPECT_STREQ(rustic->className().name, "TypEstRustic");
    std::unique_ptr<Drawable> court(rustic->createVariant(0));
    auto* c = dynamic_cast<TypEstCourt*>(court.get());
    ASSERT_NE(c, nullptr);
    EXPECT_FLOAT_EQ(c->constructionDepthMin, 6.0f);
    EXPECT_FLOAT_EQ(c->winding, windingChoice::kLow);
    EXPECT_FLOAT_EQ(c->maxCourtSide, 15.0f);
    EXPECT_EQ(c->seed, 3u);
    EXPECT_EQ(c->poly, estate->poly);
    EXPECT_EQ(estate->createVariant(2), nullptr);

    ParameterList rusticList;
    rustic->declareParameters(rusticList);
    ASSERT_NE(rusticList.variants(), nullptr);
    EXPECT_STREQ(rusticList.variants()->text(), "Rustic");
}

TEST(EstateClasses, OwnShapes) {
    auto estate = makeCourtEstate(rectangle(0, 0, 30, 30, 4), nullptr, 3);
    NullRenderContext ctx;
    estate->drawOwnShape(ctx);
    ASSERT_EQ(ctx.calls.size(), 1u);
    EXPECT_EQ(ctx.calls[0].op, "extrudedPolygon");
    TypEstRustic rustic(rectangle(0, 0, 30, 30, 4), {}, 6.0f, nullptr, nullptr, 5, "Land1", {});
    Terrain flat(nullptr);
    rustic.terrain = &flat;
    rustic.drawOwnShape(ctx);
    ASSERT_EQ(ctx.calls.size(), 2u);
    EXPECT_EQ(ctx.calls[1].op, "terrainPolygon");
}

TEST(BuildingClasses, StandInsShowTheOwnShapeAndCollisionsUseThePrism) {
    TypBuiCourt court(rectangle(0, 0, 20, 20, 1), Extrusion{2.0f, 10.0f}, nullptr, 5, "Slate1", "Brick1",
                      {-6, -6, -6, -6}, false);
    EXPECT_TRUE(court.collides({5, 5, 5}, {5, 5, 5}));
    EXPECT_FALSE(court.collides({5, 13, 5}, {5, 13, 5}));
    RandomGenerator::generation().seed(1);
    court.generate();
    ASSERT_EQ(court.childCount(), 2);
    NullRenderContext ctx;
    static_cast<Desc*>(court.child(0))->drawOwnShape(ctx);
    ASSERT_EQ(ctx.calls.size(), 1u);
    EXPECT_EQ(ctx.calls[0].op, "extrudedPolygon");

    ParameterList list;
    court.declareParameters(list);
    EXPECT_EQ(list.name(0), "TypBuiCourt");
    EXPECT_GE(list.find("Construction Depth[3]"), 0);
    EXPECT_GE(list.find("Court closed"), 0);
    EXPECT_GT(list.find("TypBui"), list.find("Court closed"));
    EXPECT_GT(list.find("Wall material"), list.find("TypBui"));
    EXPECT_STREQ(list.record(list.find("Poly.p[0] limit"))->text(), "Facade");

    Terrain flat(nullptr);
    TypEstRustic plot(rectangle(0, 0, 20, 20), {}, 6.0f, &flat, nullptr, 5, "Land1", {});
    TypBuiSite site(rectangle(0, 0, 20, 20), Extrusion{0.0f, 6.0f}, &plot, 8, "Land1", 6.0f);
    site.fitToTerrain();
    EXPECT_FLOAT_EQ(site.extrusion.level, 0.0f);
    EXPECT_FLOAT_EQ(site.extrusion.height, 6.0f);
    site.generate();
    site.child(0)->draw(ctx);
    EXPECT_EQ(ctx.calls.back().op, "terrainPolygon");
    ParameterList siteList;
    site.declareParameters(siteList);
    EXPECT_EQ(siteList.name(0), "TypBuiSite");
    EXPECT_EQ(siteList.name(1), "Over height");
}

namespace {
// Records the material every extruded polygon is drawn with.
class MaterialRecorder : public NullRenderContext {
public:
    void extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) override {
        materials.push_back(material);
        NullRenderContext::extrudedPolygon(poly, extrusion, material, flags);
    }
    std::vector<const Material*> materials;
};
}  // namespace

// The coarse prism goes through the material slot, where an impostor cover
// sits while one is shown; the coarse plan below it draws the walls.
TEST(BuildingClasses, CourtOwnShapeUsesTheMainMaterial) {
    TypBuiCourt court(rectangle(0, 0, 20, 20, 1), Extrusion{2.0f, 10.0f}, nullptr, 5, "Slate1", "Brick1",
                      {-6, -6, -6, -6}, false);
    MaterialRecorder ctx;
    court.drawOwnShape(ctx);
    ASSERT_EQ(ctx.materials.size(), 1u);
    EXPECT_EQ(ctx.materials[0], court.material.get());
    RandomGenerator::generation().seed(1);
    court.generate();
    ASSERT_EQ(court.childCount(), 2);
    static_cast<Desc*>(court.child(0))->drawOwnShape(ctx);
    ASSERT_EQ(ctx.materials.size(), 2u);
    EXPECT_EQ(ctx.materials[1], &court.wallMaterial);
}

TEST(BuildingClasses, StreetPieceVariants) {
    Terrain flat(nullptr);
    TypBuiStreet street(rectangle(0, 0, 6, 30), Extrusion{0.0f, 10.0f}, &flat, nullptr, 12, "Road1");
    street.fitTo(&flat, 10.0f);
    EXPECT_FLOAT_EQ(street.extrusion.height, 10.0f);
    const char* names[] = {"TypBuiStreet", "TypBuiStreetMarket", "TypBuiStreet20"};
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<Drawable> v(street.createVariant(i));
        ASSERT_NE(v, nullptr);
        EXPECT_STREQ(v->className().name, names[i]);
        EXPECT_EQ(v->seed, 12u);
        auto* s = dynamic_cast<TypBuiStreet*>(v.get());
        EXPECT_EQ(s->terrain, &flat);
        EXPECT_EQ(s->poly, street.poly);
        ParameterList list;
        s->declareParameters(list);
        ASSERT_NE(list.variants(), nullptr);
        EXPECT_EQ(list.variants()->text(), std::string(i == 0 ? "Empty" : i == 1 ? "Market" : "20th Century"));
        EXPECT_GE(list.find("TypBuiStreet"), 0);
        // The variants share the street's section: no heading of their own.
        EXPECT_EQ(list.name(0), "TypBuiStreet");
        EXPECT_EQ(list.find("TypBuiStreetMarket"), -1);
        EXPECT_EQ(list.find("TypBuiStreet20"), -1);
        EXPECT_GT(list.find("TypBui"), 0);
    }
    EXPECT_EQ(street.createVariant(3), nullptr);
    NullRenderContext ctx;
    street.drawOwnShape(ctx);
    EXPECT_EQ(ctx.calls.back().op, "terrainPolygon");
}
