#include "typology/building/TypBuiCourt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <memory>
#include <vector>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/DrawableTerrainPoly.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "typology/building/TypBuiSite.h"
#include "typology/building/TypBuiTreeLine.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooRoofCourtFlat.h"
#include "typology/building/TypRooRoofCourtTiled.h"
#include "typology/construction/TypConSlabSimple.h"

#include "../TypologyTestSupport.h"

namespace {

const std::vector<float> kWings{-6, -6, -6, -6};

std::unique_ptr<TypBuiCourt> makeCourt(float height, std::vector<float> depths = kWings, bool closed = false,
                                       uint32_t seed = 5, float side = 30) {
    return std::make_unique<TypBuiCourt>(rectangle(side, side, 1), Extrusion{2.0f, height}, nullptr, seed, "Slate1",
                                         "Brick1", std::move(depths), closed);
}

TypRooCourtPlan* planOf(TypBuiCourt& court) {
    return childrenOf<TypRooCourtPlan>(court).empty() ? nullptr : childrenOf<TypRooCourtPlan>(court).front();
}

}  // namespace

// ---- storeys ----

TEST(CourtStoreys, FiveMetresWithAWingTwoFloorsWithoutStairs) {
    RandomGenerator random(3);
    int floors = 0;
    bool stairs = true;
    TypBuiCourt::storeys(5.0f, true, random, floors, stairs);
    EXPECT_EQ(floors, 2);
    EXPECT_FALSE(stairs);
    random.seed(3);
    TypBuiCourt::storeys(5.0f, false, random, floors, stairs);
    EXPECT_EQ(floors, 1);
    EXPECT_FALSE(stairs);
}

TEST(CourtStoreys, EightMetresTwoFloorsWithStairsFourMetresOneAndBelowFourAnAssertion) {
    for (int s = 0; s < 200; ++s) {
        RandomGenerator random(s);
        int floors = 0;
        bool stairs = false;
        TypBuiCourt::storeys(8.0f, false, random, floors, stairs);
        EXPECT_EQ(floors, 2) << "seed " << s;
        EXPECT_TRUE(stairs);
        random.seed(s);
        TypBuiCourt::storeys(4.0f, false, random, floors, stairs);
        EXPECT_EQ(floors, 1);
        EXPECT_FALSE(stairs);
    }
    RandomGenerator random(1);
    int floors = 0;
    bool stairs = false;
    EXPECT_THROW(TypBuiCourt::storeys(3.9f, true, random, floors, stairs), AssertException);
}

TEST(CourtStoreys, SevenNineMetresFollowTheDrawnStoreyHeight) {
    int one = 0, two = 0;
    for (int s = 0; s < 2000; ++s) {
        RandomGenerator random(s), copy(s);
        const double storey = 3.0 + copy.uniform();
        int floors = 0;
        bool stairs = false;
        TypBuiCourt::storeys(7.9f, false, random, floors, stairs);
        EXPECT_EQ(floors, storey * 2 <= 7.9 ? 2 : 1) << "storey " << storey;
        one += floors == 1;
        two += floors == 2;
    }
    EXPECT_GT(one, 0);
    EXPECT_GT(two, 0);
}

// ---- generation of the building ----

TEST(CourtBuilding, PlanThenGroundSlabFromTenBelowTheLevel) {
    auto court = makeCourt(12.0f);
    RandomGenerator::generation().seed(static_cast<int32_t>(court->seed));
    court->generate();
    ASSERT_EQ(court->childCount(), 2);
    auto* plan = dynamic_cast<TypRooCourtPlan*>(court->child(0));
    auto* slab = dynamic_cast<TypConSlabSimple*>(court->child(1));
    ASSERT_NE(plan, nullptr);
    ASSERT_NE(slab, nullptr);
    EXPECT_FLOAT_EQ(slab->extrusion.level, 2.0f - 10.0f);
    EXPECT_FLOAT_EQ(slab->extrusion.level + slab->extrusion.height, 2.0f);
    EXPECT_EQ(slab->poly, court->poly);
    const char* ground = nameOf(*slab->material);
    ASSERT_NE(ground, nullptr);
    EXPECT_TRUE(std::string(ground) == "Land1" || std::string(ground) == "Soil1");
    EXPECT_GE(plan->wallWidth, 0.3f);
    EXPECT_LT(plan->wallWidth, 1.0f);
    EXPECT_GE(plan->corridorWidth, 2 * plan->wallWidth + 0.5f - 1e-5f);
    EXPECT_LE(plan->corridorWidth, 2 * plan->wallWidth + 1.5f + 1e-5f);
    EXPECT_EQ(plan->ownerBuilding, court.get());
    EXPECT_EQ(plan->extrusion.level, court->extrusion.level);
}

// Heights and depths typed into Properties that no building can use leave
// it the block it is drawn as, without a failed check; usable values grow it again.
TEST(CourtBuilding, EditedValuesItCannotGrowLeaveItCoarse) {
    auto court = makeCourt(3.5f);
    court->refine(kModelView);
    EXPECT_EQ(court->childCount(), 0);
    EXPECT_TRUE(court->tooManyChildren());

    court->releaseChildren();
    court->extrusion.height = 12.0f;
    court->constructionDepth = {-20, -20, -20, -20};  // deeper than half the 30 m plot
    EXPECT_NO_THROW(court->refine(kModelView));
    EXPECT_EQ(court->childCount(), 0);

    court->releaseChildren();
    court->constructionDepth = kWings;
    court->refine(kModelView);
    EXPECT_EQ(court->childCount(), 2);
    EXPECT_FALSE(court->tooManyChildren());
}

// A closed court takes no draw for the corridor: the plan's seed is the
// draw that an open court spends on its corridor width.
TEST(CourtBuilding, ClosedCourtTakesNoCorridorDrawAndEndsInAFlatRoof) {
    auto open = makeCourt(12.0f, kWings, false, 41);
    auto closed = makeCourt(12.0f, kWings, true, 41);
    for (TypBuiCourt* b : {open.get(), closed.get()}) {
        RandomGenerator::generation().seed(static_cast<int32_t>(b->seed));
        b->generate();
    }
    RandomGenerator draws(41);
    draws.next();
    draws.next();
    const auto third = static_cast<uint32_t>(draws.next());
    const auto fourth = static_cast<uint32_t>(draws.next());
    TypRooCourtPlan* closedPlan = planOf(*closed);
    TypRooCourtPlan* openPlan = planOf(*open);
    ASSERT_TRUE(closedPlan && openPlan);
    EXPECT_EQ(closedPlan->corridorWidth, 0.0f);
    EXPECT_EQ(closedPlan->seed, third);
    EXPECT_EQ(openPlan->seed, fourth);

    closedPlan->refine(kModelView);
    EXPECT_FALSE(closedPlan->open);
    for (uint8_t kind : closedPlan->roomKinds)
        EXPECT_NE(kind, TypRoo::kCorridorRoom);
    EXPECT_EQ(closedPlan->roomKinds.back(), TypRoo::kEmptyRoom);  // the court room
    EXPECT_EQ(childrenOf<TypRooRoofCourtFlat>(*closedPlan).size(), 1u);
    EXPECT_TRUE(childrenOf<TypRooRoofCourtTiled>(*closedPlan).empty());

    openPlan->refine(kModelView);
    EXPECT_EQ(openPlan->roomKinds.back(), TypRoo::kCourtRoom);
    EXPECT_EQ(childrenOf<TypRooRoofCourtTiled>(*openPlan).size(), 1u);
}

TEST(CourtPlan, WithoutBuiltVerticesFloorsStoreysNoRoofAndTheCourtIsThePlot) {
    auto court = makeCourt(10.0f, {0, 0, 0, 0});
    RandomGenerator::generation().seed(static_cast<int32_t>(court->seed));
    court->generate();
    TypRooCourtPlan* plan = planOf(*court);
    ASSERT_NE(plan, nullptr);
    for (const Point& p : plan->courtPoly.points())
        EXPECT_EQ(p.limit, TypBuiCourt::kUnedificated);
    plan->refine(kModelView);
    EXPECT_EQ(static_cast<int>(childrenOf<TypRooCourtFloor>(*plan).size()), plan->floors);
    EXPECT_EQ(plan->childCount(), plan->floors);
    ASSERT_EQ(plan->roomKinds.size(), 1u);
    EXPECT_EQ(plan->roomKinds[0], TypRoo::kCourtRoom);
    EXPECT_FLOAT_EQ(plan->roomPolys[0].area(), court->poly.area());
}

TEST(CourtPlan, TwoFloorsWithWingsMakeOneStoreyAndARoofBelowTheStoreyHeight) {
    for (uint32_t seed = 1; seed < 40; ++seed) {
        auto court = makeCourt(7.0f, kWings, false, seed);
        RandomGenerator::generation().seed(static_cast<int32_t>(seed));
        court->generate();
        TypRooCourtPlan* plan = planOf(*court);
        ASSERT_NE(plan, nullptr);
        if (plan->floors != 2)
            continue;
        plan->refine(kModelView);
        ASSERT_EQ(plan->childCount(), 2);
        auto* storey = dynamic_cast<TypRooCourtFloor*>(plan->child(0));
        auto* roof = dynamic_cast<TypRoo*>(plan->child(1));
        ASSERT_TRUE(storey && roof);
        const float s = court->extrusion.height / 2;
        EXPECT_FLOAT_EQ(storey->extrusion.height, s);
        EXPECT_EQ(storey->extrusion.highLimit, 1);
        EXPECT_FLOAT_EQ(roof->extrusion.level, court->extrusion.level + s);
        EXPECT_GE(roof->extrusion.height, 2.0f);
        EXPECT_LT(roof->extrusion.height, s);
    }
}

// ---- the court polygon ----

TEST(CourtPolygon, KindsOfWingsCornersAndUnbuiltSides) {
    // Wings on three sides: corners next to the unbuilt side keep 40 or 32.
    const Poly plot = rectangle(40, 30, 1);
    for (int s = 0; s < 50; ++s) {
        RandomGenerator random(s);
        const Poly court = TypBuiCourt::courtPolygon(plot, {-6, -6, -6, 0}, 0.5f, random);
        ASSERT_TRUE(court.isValid()) << "seed " << s;
        int unbuilt = 0, corners = 0, owned = 0, partitions = 0;
        for (const Point& p : court.points()) {
            unbuilt += p.limit == TypBuiCourt::kUnedificated;
            corners += p.limit == TypBuiCourt::kEdificatedCorner;
            owned += p.limit == TypBuiCourt::kCornerIn || p.limit == TypBuiCourt::kCornerOut;
            partitions += p.limit == TypBuiCourt::kEdificatedT;
        }
        EXPECT_EQ(unbuilt, 1);
        EXPECT_EQ(corners, 1);
        EXPECT_EQ(owned, 2);  // the two corners between wings
        EXPECT_GT(partitions, 0);
        // Every court point lies inside the plot, at least a wing deep from a built edge.
        for (const Point& p : court.points())
            EXPECT_TRUE(plot.containsPoint(p.x, p.y) || p.limit == TypBuiCourt::kUnedificated);
    }
}

// ---- sites ----

TEST(Site, BelowFourHundredSquareMetresOnePieceAboveTilesOfAtLeastTwelveAndAHalf) {
    Terrain flat(nullptr);
    DescPolyLand plot(rectangle(100, 100), 6.0f, &flat, 5, "Land1");
    for (float area : {399.0f, 401.0f}) {
        const float side = std::sqrt(area);
        TypBuiSite site(rectangle(side, side), Extrusion{0.0f, 6.0f}, nullptr, 8, "Land1", 6.0f);
        site.ownerPlot = &plot;
        RandomGenerator::generation().seed(8);
        site.generate();
        const auto pieces = childrenOf<DrawableTerrainPoly>(site);
        EXPECT_EQ(site.childCount(), static_cast<int>(pieces.size()));  // no street edge, no tree line
        float sum = 0;
        for (auto* piece : pieces) {
            sum += piece->poly.area();
            float minX, minY, maxX, maxY;
            piece->poly.bounds(minX, minY, maxX, maxY);
            const float tile = std::max(2 * site.radius / 14, 12.5f);
            if (area > 400) {
                EXPECT_LE(maxX - minX, tile + 1e-3f);
                EXPECT_LE(maxY - minY, tile + 1e-3f);
            }
        }
        EXPECT_NEAR(sum, area, area * 1e-3f);
        if (area < 400)
            EXPECT_EQ(pieces.size(), 1u);
        else
            EXPECT_GT(pieces.size(), 1u);
    }
}

TEST(Site, TreeLinesAlongStreetEdgesOnly) {
    Poly poly = rectangle(40, 30);
    poly[0].limit = 1;
    poly[2].limit = 8;
    TypBuiSite site(poly, Extrusion{0.0f, 7.0f}, nullptr, 9, "Land1", 7.0f);
    RandomGenerator::generation().seed(9);
    site.generate();
    const auto lines = childrenOf<TypBuiTreeLine>(site);
    ASSERT_EQ(lines.size(), 2u);
    for (auto* line : lines) {
        EXPECT_EQ(line->poly.count(), 4);
        EXPECT_FLOAT_EQ(line->treeHeight, 7.0f);
        EXPECT_STREQ(nameOf(*line->material), "Wood1");
        // A strip 3 wide along a street edge moved 1 inwards (its neighbours stay).
        EXPECT_NEAR(line->poly.area(), 3.0f * poly.edge(0).length(), 1e-2f);
    }
}

// A plot whose first edge is unbuilt starts its court with an unedificated
// vertex while other wings exist: an ordinary plot, grown without a failed check.
TEST(CourtPlan, FirstEdgeUnbuiltWithWingsElsewhere) {
    for (uint32_t seed = 1; seed < 20; ++seed) {
        auto court = makeCourt(12.0f, {0, -6, -6, -6}, false, seed);
        RandomGenerator::generation().seed(static_cast<int32_t>(seed));
        court->generate();
        TypRooCourtPlan* plan = planOf(*court);
        ASSERT_NE(plan, nullptr);
        EXPECT_EQ(plan->courtPoly[0].limit, TypBuiCourt::kUnedificated);
        EXPECT_NO_THROW(plan->refine(kModelView));
        EXPECT_GT(plan->builtVertices, 0);
        EXPECT_EQ(plan->roomsLeftOut, 0);
    }
}
