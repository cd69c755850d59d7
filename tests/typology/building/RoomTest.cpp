#include "typology/building/TypRooSimple.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSimple.h"

#include "../TypologyTestSupport.h"

namespace {

Line undecided(int crossings) {
    Line line(0, 0, 10, 0, 0.3f, TypRoo::kCorridor);
    for (int i = 0; i < crossings; ++i)
        line.addCrossing({0.1f + 0.15f * static_cast<float>(i), 1, 1, 1.57f, 1.57f, TypRoo::kUndecided, 2});
    return line;
}

std::vector<uint8_t> limits(const Line& line) {
    std::vector<uint8_t> out;
    for (const Crossing& c : line.crossings)
        out.push_back(c.limit);
    return out;
}

// A 6 x 4 room whose four edges are a facade, a partition it builds, a
// partition its neighbour builds and the corridor side.
Poly fourKindRoom() {
    Poly p = rectangle(6, 4);
    p[0].limit = TypRoo::kFacade;
    p[1].limit = TypRoo::kWallIn;
    p[2].limit = TypRoo::kWallOut;
    p[3].limit = TypRoo::kCorridor;
    return p;
}

std::vector<std::string> classesOf(const Desc& d) {
    std::vector<std::string> out;
    for (int i = 0; i < d.childCount(); ++i)
        out.emplace_back(d.child(i)->className().name);
    return out;
}

}  // namespace

TEST(Openings, SplitGivesTheMiddleUndecidedCrossingItsOwnLimit) {
    Line five = undecided(5);
    TypRooCourtPlan::split(five, 2, 3);
    EXPECT_EQ(limits(five), (std::vector<uint8_t>{3, 3, 2, 3, 3}));
    Line four = undecided(4);
    TypRooCourtPlan::split(four, 2, 3);
    EXPECT_EQ(limits(four), (std::vector<uint8_t>{3, 3, 2, 3}));
    // Decided crossings are left alone and do not count.
    Line mixed = undecided(4);
    mixed.crossings[0].limit = 9;
    TypRooCourtPlan::split(mixed, 2, 1);
    EXPECT_EQ(limits(mixed), (std::vector<uint8_t>{9, 1, 2, 1}));
}

TEST(StreetLevel, StoreyAndMismatchFollowTheGroundAboveTheLevel) {
    int storey = -1;
    float mismatch = 0;
    TypRooCourtPlan::streetStorey(0.4f, 3.5f, storey, mismatch);
    EXPECT_EQ(storey, 0);
    EXPECT_NEAR(mismatch, 0.4f, 1e-5f);
    TypRooCourtPlan::streetStorey(0.6f, 3.5f, storey, mismatch);
    EXPECT_EQ(storey, 1);
    EXPECT_NEAR(mismatch, 2.9f, 1e-5f);
    TypRooCourtPlan::streetStorey(1.4f, 3.5f, storey, mismatch);
    EXPECT_EQ(storey, 1);
    EXPECT_NEAR(mismatch, 2.1f, 1e-5f);
    TypRooCourtPlan::streetStorey(-2.0f, 3.5f, storey, mismatch);
    EXPECT_EQ(storey, 0);
}

TEST(StreetLevel, EntryOnlyOnItsStreetStoreyEmptyRoomsBuriedBelowAndStreetLevelOnIt) {
    TypRooCourtPlan plan(rectangle(20, 20), Extrusion{0, 10}, nullptr, 1, nullptr, Poly(), 3, 0, 0.5f, true);
    plan.roomKinds = {TypRoo::kEmptyRoom, TypRoo::kEntryRoom, TypRoo::kCorridorRoom};
    plan.roomStreetStorey = {1, 1, 0};
    using K = std::vector<uint8_t>;
    EXPECT_EQ(plan.storeyKinds(0), (K{TypRoo::kBuriedRoom, TypRoo::kBuriedRoom, TypRoo::kCorridorRoom}));
    EXPECT_EQ(plan.storeyKinds(1), (K{TypRoo::kStreetLevelRoom, TypRoo::kEntryRoom, TypRoo::kCorridorRoom}));
    EXPECT_EQ(plan.storeyKinds(2), (K{TypRoo::kEmptyRoom, TypRoo::kEmptyRoom, TypRoo::kCorridorRoom}));
}

TEST(RoomGeneration, WallsPanelsAndSlabsOfAStandardGroundRoom) {
    const Poly poly = fourKindRoom();
    const std::vector<Line> walls = TypRoo::wallList(poly, 0.4f);
    TypRooSimple room(TypRoo::kEmptyRoom, poly, Extrusion{5, 3, 2, 1}, nullptr, 3, "Lime1", &walls, true,
                      TypRooCourtFloor::kWallSimple, 0, TypRooCourtFloor::kOpeningsSimple);
    RandomGenerator::generation().seed(3);
    room.generate();
    EXPECT_EQ(classesOf(room), (std::vector<std::string>{"TypLinWallSimple", "TypLinPanelSimple",
                                                         "TypLinWallSimple", "TypConSlabSimple",
                                                         "TypConFloorTiled"}));
    auto* facade = dynamic_cast<TypLinWallSimple*>(room.child(0));
    ASSERT_NE(facade, nullptr);
    ASSERT_GT(facade->line.crossingCount(), 0);
    for (const Crossing& c : facade->line.crossings)
        EXPECT_EQ(c.limit, 3);
    EXPECT_STREQ(nameOf(*facade->material), "Lime1");
    EXPECT_EQ(facade->openingsKind, TypRooCourtFloor::kOpeningsSimple);
    auto* corridorSide = dynamic_cast<TypLinWallSimple*>(room.child(2));
    ASSERT_NE(corridorSide, nullptr);
    int doors = 0;
    for (const Crossing& c : corridorSide->line.crossings)
        doors += c.limit == 2;
    EXPECT_EQ(doors, 1);
    auto* ceiling = dynamic_cast<TypConSlabSimple*>(room.child(3));
    ASSERT_NE(ceiling, nullptr);
    EXPECT_FLOAT_EQ(ceiling->extrusion.level + ceiling->extrusion.height, 8.0f);
    EXPECT_NEAR(ceiling->poly.area(), (6 - 0.4f) * (4 - 0.4f), 1e-3f);  // between the walls
    auto* floor = dynamic_cast<TypConFloorTiled*>(room.child(4));
    ASSERT_NE(floor, nullptr);
    EXPECT_FLOAT_EQ(floor->extrusion.level, 5.0f);
    EXPECT_FLOAT_EQ(floor->extrusion.height, 0.05f);

    // An upper storey has no tiled floor; porticos replace plain walls.
    TypRooSimple upper(TypRoo::kEmptyRoom, poly, Extrusion{8, 3, 2, 2}, nullptr, 3, "Lime1", &walls, true,
                       TypRooCourtFloor::kPortico, 0, TypRooCourtFloor::kOpeningsSimple);
    upper.generate();
    EXPECT_EQ(classesOf(upper), (std::vector<std::string>{"TypLinPortico", "TypLinPanelSimple", "TypLinPortico",
                                                          "TypConSlabSimple"}));
}

TEST(RoomGeneration, CorridorLaysPorticoOnTheCourtSideAndABeamUnderThePartition) {
    const Poly poly = fourKindRoom();
    const std::vector<Line> walls = TypRoo::wallList(poly, 0.3f);
    for (uint8_t high : {1, 2}) {
        TypRooSimple corridor(TypRoo::kCorridorRoom, poly, Extrusion{0, 3, 2, high}, nullptr, 3, "Lime1", &walls,
                              true, 0, 0, 1);
        RandomGenerator::generation().seed(3);
        corridor.generate();
        const auto porticos = childrenOf<TypLinPortico>(corridor);
        const auto beams = childrenOf<TypLinBeamSimple>(corridor);
        ASSERT_EQ(porticos.size(), 1u);
        ASSERT_EQ(beams.size(), 1u);
        EXPECT_STREQ(nameOf(*porticos[0]->material), "Wood1");
        EXPECT_EQ(porticos[0]->openingsKind, high == 1 ? 0 : 2);
        // Its gaps are open: on upper storeys banisters guard them.
        ASSERT_GT(porticos[0]->line.crossingCount(), 0);
        for (const Crossing& c : porticos[0]->line.crossings)
            EXPECT_EQ(c.limit, 3);
        porticos[0]->generate();
        const auto gaps = childrenOf<TypLinOpening>(*porticos[0]);
        ASSERT_FALSE(gaps.empty());
        gaps[0]->generate();
        EXPECT_EQ(gaps[0]->childCount(), high == 1 ? 0 : 2);
        EXPECT_FLOAT_EQ(beams[0]->extrusion.level, 3.0f - 0.3f);
        EXPECT_EQ(childrenOf<TypLinWallSimple>(corridor).size(), 1u);  // the facade
    }
}

TEST(RoomGeneration, EveryKindIsAVariantOfTheSameRoom) {
    const Poly poly = fourKindRoom();
    TypRooSimple room(TypRoo::kBuriedRoom, poly, Extrusion{0, 3, 2, 1}, nullptr, 3, "Lime1", nullptr, true, 0, 0,
                      1);
    ParameterList list;
    room.declareParameters(list);
    EXPECT_EQ(list.name(0), "TypRooSimple");
    EXPECT_GE(list.find("Ceiling"), 0);
    EXPECT_GT(list.find("TypRoo"), list.find("Openings"));
    for (int k = 0; k < TypRoo::kKindCount; ++k) {
        std::unique_ptr<Drawable> variant(room.createVariant(k));
        auto* other = dynamic_cast<TypRooSimple*>(variant.get());
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->kind, k);
        EXPECT_EQ(other->poly, room.poly);
        EXPECT_EQ(other->seed, room.seed);
    }
    EXPECT_EQ(room.createVariant(8), nullptr);
}

TEST(RoomGeneration, StairsAndBuriedRoomsAssignTheirOwnOpenings) {
    const Poly poly = fourKindRoom();
    TypRooSimple stairs(TypRoo::kStairsRoom, poly, Extrusion{0, 3, 2, 2}, nullptr, 3, nullptr, nullptr, true, 0,
                        0, 1);
    Line corridorSide = undecided(3);
    stairs.assignOpenings(corridorSide);
    EXPECT_EQ(limits(corridorSide), (std::vector<uint8_t>{2, 2, 2}));
    TypRooSimple buried(TypRoo::kBuriedRoom, poly, Extrusion{0, 3, 2, 1}, nullptr, 3, nullptr, nullptr, true, 0, 0,
                        1);
    Line entry = undecided(3);
    entry.limit = TypRoo::kEntry;
    buried.assignOpenings(entry);
    EXPECT_EQ(limits(entry), (std::vector<uint8_t>{1, 2, 1}));
    TypRooSimple entryRoom(TypRoo::kEntryRoom, poly, Extrusion{0, 3, 2, 1}, nullptr, 3, nullptr, nullptr, true, 0,
                           0, TypRooCourtFloor::kOpeningsBalcony);
    Line facade = undecided(2);
    facade.limit = TypRoo::kFacade;
    entryRoom.assignOpenings(facade);
    EXPECT_EQ(limits(facade), (std::vector<uint8_t>{3, 3}));
    EXPECT_EQ(entryRoom.openings, TypRooCourtFloor::kOpeningsSimple);
}

// On a plot flatter than 5 % the ground storey is a Wood1 portico without
// openings; the storeys above and steeper plots keep plain walls.
TEST(StoreyGeneration, FlatPlotGroundStoreyBecomesAPortico) {
    for (float slope : {4.0f, 6.0f}) {
        DescPolyLand land(rectangle(30, 30), 1.0f, nullptr, 2, "Land1");
        land.extrusion.height = 1.0f + slope / 100.0f * 30.0f;
        ASSERT_NEAR(land.slope(), slope, 1e-3f);
        TypBuiCourt court(rectangle(30, 30, 1), Extrusion{0, 12}, &land, 7, "Slate1", "Brick1", {-6, -6, -6, -6},
                          false);
        RandomGenerator::generation().seed(7);
        court.generate();
        auto* plan = dynamic_cast<TypRooCourtPlan*>(court.child(0));
        ASSERT_NE(plan, nullptr);
        plan->refine(kModelView);
        const auto storeys = childrenOf<TypRooCourtFloor>(*plan);
        ASSERT_GE(storeys.size(), 2u);
        for (size_t f = 0; f < 2; ++f) {
            storeys[f]->refine(kModelView);
            const bool portico = f == 0 && slope < 5.0f;
            for (auto* room : childrenOf<TypRooSimple>(*storeys[f])) {
                if (room->kind == TypRoo::kBuriedRoom)
                    continue;
                EXPECT_EQ(room->facades, portico ? 1 : 0) << "slope " << slope << " storey " << f;
                if (portico) {
                    EXPECT_EQ(room->openings, 0);
                    EXPECT_STREQ(nameOf(*room->material), "Wood1");
                }
            }
        }
    }
}

// Seen coarse, a storey of an open court leaves the court open and the
// court room draws nothing; a closed court's storey is a plain prism.
TEST(StoreyGeneration, CoarseStoreysLeaveAnOpenCourtOpen) {
    for (bool closed : {false, true}) {
        TypBuiCourt court(rectangle(30, 30, 1), Extrusion{0, 12}, nullptr, 7, "Slate1", "Brick1", {-6, -6, -6, -6},
                          closed);
        RandomGenerator::generation().seed(7);
        court.generate();
        auto* plan = dynamic_cast<TypRooCourtPlan*>(court.child(0));
        ASSERT_NE(plan, nullptr);
        plan->refine(kModelView);
        auto* storey = childrenOf<TypRooCourtFloor>(*plan).front();
        NullRenderContext ctx;
        storey->drawOwnShape(ctx);
        ASSERT_EQ(ctx.calls.size(), 1u);
        EXPECT_EQ(ctx.calls[0].op, closed ? "extrudedPolygon" : "slabPolygon");
        storey->refine(kModelView);
        TypRooSimple* courtRoom = nullptr;
        for (auto* room : childrenOf<TypRooSimple>(*storey))
            if (room->poly == plan->roomPolys.back())
                courtRoom = room;
        ASSERT_NE(courtRoom, nullptr);
        courtRoom->drawOwnShape(ctx);
        EXPECT_EQ(ctx.calls.size(), closed ? 2u : 1u);
    }
}
