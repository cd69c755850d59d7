// Flat terraces, tiled court roofs and gable pieces: edge cases by hand, and
// every roof of a real quarter grown down to its leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/DrawableRoofQuad.h"
#include "core/DrawableSlab.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooGable.h"
#include "typology/building/TypRooRoofCourtFlat.h"
#include "typology/building/TypRooRoofCourtTiled.h"
#include "typology/building/TypRooSimple.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPanelSloping.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

// A plan over a 30 m square plot with 6 m wings on every side, its rooms laid.
std::unique_ptr<TypRooCourtPlan> squarePlan(uint8_t edgeKind, float corridor, bool stairs, int32_t seed) {
    const Poly plot = rectangle(30, 30, edgeKind);
    RandomGenerator random(seed);
    std::vector<int> edges;
    const Poly court = TypBuiCourt::courtPolygon(plot, {-6, -6, -6, -6}, 0.4f, random, &edges);
    auto plan = std::make_unique<TypRooCourtPlan>(plot, Extrusion{0, 9}, nullptr, 7, "Slate1", court, 3, corridor,
                                                  0.4f, stairs);
    plan->courtEdges = edges;
    plan->layRooms(random);
    return plan;
}

double areaOf(const ClipPolygon& c) {
    double a = 0;
    for (size_t i = 0; i < c.contours.size(); ++i)
        a += (c.holes[i] ? -1.0 : 1.0) * c.contours[i].area();
    return a;
}

}  // namespace

// A closed plan without and with stairs, and an open one: parapet height,
// stair house, and the terrace inside the parapet, round the court and the stair house.
TEST(FlatRoof, ParapetStairHouseAndTerrace) {
    const double inside = 29.4 * 29.4;
    for (int32_t seed = 1; seed <= 8; ++seed) {
        const bool stairs = seed > 2, open = seed == 2;
        auto plan = squarePlan(1, open ? 2.0f : 0.0f, stairs, seed);
        const int room = TypRooRoofCourtFlat::stairsRoom(plan.get());
        ASSERT_EQ(room >= 0, stairs);
        auto roof = plan->makeRoof(0, Extrusion{6, 2.2f}, 20 + seed, "Slate1");
        ASSERT_EQ(roof->extrusion.height, 3.0f);  // whatever the plan asks
        RandomGenerator::generation().seed(20 + seed);
        roof->generate();
        const auto panels = childrenOf<TypLinPanelSimple>(*roof);
        EXPECT_EQ(panels.size(), open ? 8u : 4u);  // closed: the terrace covers the court
        for (const auto* p : panels) {
            EXPECT_GE(p->extrusion.height, stairs ? TypRooRoofCourtFlat::kParapetMin : 0.1f);
            EXPECT_LE(p->extrusion.height, stairs ? TypRooRoofCourtFlat::kParapetMax : 0.1f);
        }
        const auto slabs = childrenOf<DrawableSlab>(*roof);
        ASSERT_EQ(slabs.size(), 1u);
        Poly ring;
        ASSERT_TRUE(TypRooRoofCourtFlat::innerRing(plan.get(), 4, ring));
        const double court = open ? ring.insetUniform(0.3f).area() : 0.0;
        const double house = stairs ? plan->roomPolys[room].area() : 0.0;
        EXPECT_LT(areaOf(slabs[0]->shape), inside - court - 0.5 * house + 1e-2);
        EXPECT_GT(areaOf(slabs[0]->shape), inside - court - house - 1e-2);
        const auto houses = childrenOf<TypRooSimple>(*roof);
        ASSERT_EQ(houses.size(), stairs ? 1u : 0u);
        // Edited down to no room for a stair house, the roof stays its block.
        TypRooRoofCourtFlat low(plan->poly, Extrusion{6, 2.0f}, nullptr, 3, "Slate1", plan.get());
        low.generate();
        EXPECT_EQ(low.childCount(), 0);
        if (!stairs)
            continue;
        EXPECT_EQ(houses[0]->kind, TypRoo::kFreeStandingRoom);
        EXPECT_TRUE(houses[0]->poly == plan->roomPolys[room]);
        const float h = houses[0]->extrusion.height;
        EXPECT_GE(h, 2.0f);
        EXPECT_LT(h, 3.0f);
        const auto tops = childrenOf<TypConFloorTiled>(*roof);
        ASSERT_EQ(tops.size(), 1u);
        // 0.05 thick, its top 0.05 above the stair house.
        const Extrusion top = Construction::normalised(tops[0]->extrusion);
        EXPECT_NEAR(top.level, 6 + h, 1e-4);
        EXPECT_NEAR(top.height, 0.05f, 1e-6);
    }
}

TEST(Gable, EavesOverhangAndTheLevelGableRule) {
    // A 10 x 4 piece, eaves along y = 0 (edge 3), a gable top at its start (x = 0, edge 0).
    const Poly quad({{0, 0, TypRooGable::kGableTop},
                     {0, 4, TypRooGable::kGableOverlap},
                     {10, 4, TypRooGable::kGableOverlap},
                     {10, 0, TypRooGable::kEaves}});
    struct Case {
        float projecting, rise, beamWidth;
        bool sloping;
    } cases[] = {{0.0f, 0.05f, 0.4f, false}, {0.3f, 0.06f, 0.6f, true}, {0.0f, 1.5f, 0.4f, true}};
    for (const Case& c : cases) {
        // The gable top rises from corner 0 (on the eaves) to corner 1.
        const float heights[4] = {0, c.rise, c.rise, 0};
        TypRooGable gable(quad, Extrusion{5, 2}, nullptr, 9, "Slate1", heights, c.projecting);
        RandomGenerator::generation().seed(9);
        gable.generate();
        const auto beams = childrenOf<TypLinBeamSimple>(gable);
        ASSERT_EQ(beams.size(), 1u);
        EXPECT_NEAR(beams[0]->line.width, c.beamWidth, 1e-5);
        // Its outer face lies on the roof edge.
        EXPECT_NEAR(beams[0]->line.y0 - beams[0]->line.width / 2, 0.0f, 1e-4);
        EXPECT_NEAR(beams[0]->line.y1 - beams[0]->line.width / 2, 0.0f, 1e-4);
        EXPECT_EQ(childrenOf<TypLinPanelSloping>(gable).size(), c.sloping ? 1u : 0u) << c.rise;
        EXPECT_EQ(childrenOf<TypLinPanelSimple>(gable).size() - beams.size(), c.sloping ? 0u : 1u) << c.rise;
        const auto surfaces = childrenOf<DrawableRoofQuad>(gable);
        ASSERT_EQ(surfaces.size(), 1u);
        EXPECT_FLOAT_EQ(surfaces[0]->heights[1], 5 + c.rise + TypRooGable::kSurfaceLift);
        EXPECT_EQ(surfaces[0]->material->referenceEdge, 3);
    }
    // Without an eaves edge the piece cannot be grown.
    Poly noEaves = quad;
    noEaves[3].limit = TypRooGable::kGableTop;
    const float flat[4] = {0, 0, 0, 0};
    TypRooGable bare(noEaves, Extrusion{5, 2}, nullptr, 9, "Slate1", flat, 0);
    bare.generate();
    EXPECT_EQ(bare.childCount(), 0);
}

TEST(TiledRoof, AllPartyWallsTakeTheProjectionDrawAndProjectNothing) {
    auto plan = squarePlan(0, 2.0f, false, 4);
    auto roof = plan->makeRoof(1, Extrusion{6, 2.5f}, 31, "Slate1");
    RandomGenerator::generation().seed(31);
    roof->generate();
    RandomGenerator draws(31);
    const auto e = static_cast<float>(TypRooRoofCourtTiled::kMinProjection +
                                      TypRooRoofCourtTiled::kProjectionRange * draws.uniform());
    const auto next = static_cast<uint32_t>(draws.next());
    const auto knee = childrenOf<TypLinPanelSimple>(*roof);
    ASSERT_FALSE(knee.empty());
    EXPECT_EQ(knee[0]->seed, next);
    const auto gables = childrenOf<TypRooGable>(*roof);
    EXPECT_EQ(gables.size(), 8u);  // two slopes on each of four wings
    TypRooRoofCourtTiled low(plan->poly, Extrusion{6, 1.0f}, nullptr, 3, "Slate1", plan.get());
    low.generate();
    EXPECT_EQ(low.childCount(), 0);  // no higher than its knee wall: stays its block
    for (const auto* g : gables) {
        EXPECT_FLOAT_EQ(g->projecting, e);
        for (const Point& p : g->poly.points()) {
            EXPECT_GE(p.x, -1e-4f);
            EXPECT_LE(p.x, 30 + 1e-4f);
            EXPECT_GE(p.y, -1e-4f);
            EXPECT_LE(p.y, 30 + 1e-4f);
        }
    }
}

// ---- every roof of a real quarter ----

namespace {

struct RoofFaults {
    int outside = 0, invalid = 0, gaps = 0, low = 0, high = 0, regrow = 0, leanTo = 0, tiled = 0, flat = 0, houses = 0;
    std::map<std::string, int> classes;
};

// Every line element below roof lies within its polygon's bounds widened by
// the largest eaves projection and a gable's overhang.
void checkInside(const Desc& d, const TypRoo& roof, RoofFaults& f) {
    float x0, y0, x1, y1;
    roof.poly.bounds(x0, y0, x1, y1);
    const float reach = TypRooRoofCourtTiled::kMinProjection + TypRooRoofCourtTiled::kProjectionRange + 0.01f;
    for (int i = 0; i < d.childCount(); ++i) {
        if (auto* l = dynamic_cast<const DescLine*>(d.child(i)))
            for (const Vec2& p : {Vec2{l->line.x0, l->line.y0}, Vec2{l->line.x1, l->line.y1}})
                if (p.x < x0 - reach || p.x > x1 + reach || p.y < y0 - reach || p.y > y1 + reach) {
                    ++f.outside;
                    ADD_FAILURE() << "roof seed " << roof.seed << ": a " << l->className().name << " reaches out to "
                                  << p.x << ", " << p.y;
                }
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            checkInside(*c, roof, f);
    }
}

// Every overlap edge of a piece meets an edge of another piece of the same
// roof end to end, at the same heights within 1 mm.
void checkTiled(const TypRooRoofCourtTiled& roof, RoofFaults& f) {
    const auto gables = childrenOf<TypRooGable>(roof);
    const float knee = roof.extrusion.level + TypRooRoofCourtTiled::kKneeHeight;
    bool ridged = false;
    for (const TypRooGable* g : gables) {
        if (!g->poly.isValid(4)) {
            ++f.invalid;
            ADD_FAILURE() << "roof seed " << roof.seed << ": a piece is no valid quadrilateral";
            continue;
        }
        if (childrenOf<DrawableRoofQuad>(*g).size() != 1)
            ++f.invalid;
        for (int i = 0; i < 4; ++i) {
            ridged = ridged || g->poly[i].limit == TypRooGable::kGableOverlapReverse;
            if (g->extrusion.level != knee || g->heights[i] < 0.0f)
                ++f.low;
            if (g->heights[i] > roof.extrusion.height - TypRooRoofCourtTiled::kKneeHeight + 1e-4f)
                ++f.high;
            const uint8_t kind = g->poly[i].limit;
            if (kind != TypRooGable::kGableOverlap && kind != TypRooGable::kGableOverlapReverse)
                continue;
            const Vec2 a = g->poly[i].vec(), b = g->poly[(i + 1) % 4].vec();
            const float za = g->cornerHeight(i), zb = g->cornerHeight((i + 1) % 4);
            bool met = false;
            for (const TypRooGable* o : gables)
                for (int j = 0; j < 4 && o != g && !met; ++j) {
                    const Vec2 c = o->poly[j].vec(), d = o->poly[(j + 1) % 4].vec();
                    const float zc = o->cornerHeight(j), zd = o->cornerHeight((j + 1) % 4);
                    met = (c - b).length() < 1e-3f && (d - a).length() < 1e-3f && std::fabs(zc - zb) < 1e-3f &&
                          std::fabs(zd - za) < 1e-3f;
                }
            if (!met) {
                ++f.gaps;
                ADD_FAILURE() << "roof seed " << roof.seed << ": an overlap edge of a piece meets no neighbour";
            }
        }
    }
    f.leanTo += !ridged;
}

}  // namespace

// The eighth quarter of the central town holds tiled and flat roofs alike
// (173 and 142), and a tiled roof whose wings fall back to one slope each.
TEST(RoofSweep, EveryRoofOfARealQuarterIsValidClosedAndRegrowsAlike) {
    auto root = buildWorld();
    TypQuaIrregular* quarter = centralQuarter(*root, 7);
    ASSERT_NE(quarter, nullptr);
    RoofFaults f;
    for (TypBuiCourt* court : refinedCourts(*quarter)) {
        try {
            growAll(*court);
        } catch (const AssertException& e) {
            ADD_FAILURE() << "court seed " << court->seed << ": assertion " << e.source() << " " << e.line();
            continue;
        }
        auto* plan = childrenOf<TypRooCourtPlan>(*court).front();
        for (auto* roof : childrenOf<TypRooRoofCourtTiled>(*plan)) {
            ++f.tiled;
            checkTiled(*roof, f);
            checkInside(*roof, *roof, f);
            f.classes["TypRooGable"] += static_cast<int>(childrenOf<TypRooGable>(*roof).size());
        }
        for (auto* roof : childrenOf<TypRooRoofCourtFlat>(*plan)) {
            ++f.flat;
            checkInside(*roof, *roof, f);
            f.houses += static_cast<int>(childrenOf<TypRooSimple>(*roof).size());
            for (auto* panel : childrenOf<TypLinPanelSimple>(*roof))
                if (panel->childCount() != 1) {
                    ++f.invalid;  // a parapet piece whose footprint came out empty
                    ADD_FAILURE() << "roof seed " << roof->seed << ": a parapet piece of " << panel->line.length()
                                  << " m draws nothing";
                }
        }
        std::vector<ChildPrint> first, second;
        printSubtree(*court, first);
        court->releaseChildren();
        growAll(*court);
        printSubtree(*court, second);
        f.regrow += !(first == second);
        court->releaseChildren();
    }
    std::cout << "[ sweep    ] " << f.tiled << " tiled roofs (" << f.leanTo << " of one slope per wing), "
              << f.classes["TypRooGable"] << " pieces; " << f.flat << " flat roofs, " << f.houses
              << " stair houses\n";
    EXPECT_GT(f.tiled, 0);
    EXPECT_GT(f.flat, 0);
    EXPECT_GT(f.houses, 0);
    EXPECT_GT(f.classes["TypRooGable"], 2 * f.tiled);
    EXPECT_EQ(f.invalid, 0);
    EXPECT_EQ(f.outside, 0);
    EXPECT_EQ(f.gaps, 0);
    EXPECT_EQ(f.low, 0);
    EXPECT_EQ(f.high, 0);
    EXPECT_EQ(f.regrow, 0);
}
