// Stairs rooms and their flights: step counts, sides, shared dimensions, one-step flights.
#include "typology/building/TypRooStairsAroundWalls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypConStairsStraight.h"
#include "typology/construction/TypLinBanisterSloping.h"

#include "../TypologyTestSupport.h"

using Stairs = TypRooStairsAroundWalls;

TEST(Stairs, StepsForAStoreyAndWhatASideTakes) {
    EXPECT_EQ(Stairs::stepCount(3.2f, 0.2f), 16);
    EXPECT_EQ(Stairs::stepCount(3.2f, 0.21f), 16);
    EXPECT_EQ(Stairs::stepCount(3.2f, 0.0f), 0);
    const struct {
        float length, stepWidth;
        int remaining, steps;
        float tread;
    } sides[] = {// room to spare: all that remain at the step width; full: its capacity, spread
                 // over the side; too short for a step
                 {2.5f, 0.25f, 4, 4, 0.25f}, {2.5f, 0.25f, 12, 10, 0.25f}, {2.6f, 0.25f, 12, 10, 0.26f},
                 {2.5f, 0.25f, 10, 10, 0.25f}, {0.2f, 0.25f, 5, 0, 0.25f}};
    for (const auto& s : sides) {
        float tread = 0;
        EXPECT_EQ(Stairs::sideSteps(s.length, s.stepWidth, s.remaining, tread), s.steps)
            << s.length << " " << s.remaining;
        EXPECT_NEAR(tread, s.tread, 1e-5f) << s.length << " " << s.remaining;
    }
}

// A 6 x 4 room (between its walls) whose corridor side is edge 0, 4 long;
// the ring 1 wide leaves runs of 4, 2 and 4 on the other sides.
TEST(Stairs, AroundARectangleFlightsFillSidesInOrderWithLandingsBetween) {
    const Poly inner = rectangle(6, 4);
    const Stairs::Layout one = Stairs::layout(inner, 10, 3.2f, 1.0f, 0.25f, 0.2f);
    ASSERT_TRUE(one.fitted);
    EXPECT_EQ(one.steps, 16);
    ASSERT_EQ(one.flights.size(), 1u);
    EXPECT_EQ(one.flights[0].steps, 16);
    EXPECT_NEAR(one.well.area(), 4 * 2, 1e-3f);
    ASSERT_EQ(one.landings.size(), 1u);
    EXPECT_FLOAT_EQ(one.landings[0].floor, 13.2f);
    // The floor above covers the rest of the ring: corners, strips, the corridor side.
    EXPECT_EQ(one.galleries.size(), 6u);

    // Four metres: 16 steps fill the first long side, 4 more go up the short one.
    const Stairs::Layout two = Stairs::layout(inner, 10, 4.0f, 1.0f, 0.25f, 0.2f);
    ASSERT_EQ(two.flights.size(), 2u);
    EXPECT_EQ(two.flights[1].steps, 4);
    EXPECT_FLOAT_EQ(two.flights[1].level, 13.2f);
    ASSERT_EQ(two.landings.size(), 2u);
    EXPECT_FLOAT_EQ(two.landings[0].floor, 14.0f);  // the rest of the short side, at the top
    EXPECT_FLOAT_EQ(two.landings[1].floor, 13.2f);  // the corner between the flights

    // Too small a room for any ring: no stair.
    EXPECT_FALSE(Stairs::layout(rectangle(1.2f, 1.2f), 0, 3, 1.0f, 0.25f, 0.2f).fitted);
    EXPECT_FALSE(Stairs::layout(Poly({{0, 0, 56}, {0, 5, 0}, {5, 0, 0}}), 0, 3, 1.0f, 0.25f, 0.2f).fitted);
}

TEST(Stairs, EveryStairsRoomOfABuildingGetsTheSameDimensionsDrawnFromItsSeed) {
    TypBui building(rectangle(20, 20), Extrusion{0, 12}, nullptr, 4242, "Lime1", "Brick1");
    Poly room({{0, 0, 56}, {0, 6, 0}, {8, 6, 0}, {8, 0, 0}});
    float width = 0, tread = 0, riser = 0;
    Stairs::drawDimensions(4242, width, tread, riser);
    RandomGenerator own;
    for (uint32_t seed : {7u, 99u}) {
        Stairs stairs(room, Extrusion{seed == 7 ? 0.0f : 3.5f, 3.5f, 2, 2}, &building, seed, "Lime1", nullptr, true,
                      0, 0, 1);
        RandomGenerator::generation().seed(static_cast<int32_t>(seed));
        stairs.generate();
        EXPECT_EQ(stairs.stairsWidth, width);
        EXPECT_EQ(stairs.stepWidth, tread);
        EXPECT_EQ(stairs.stepHeight, riser);
        // The room's own draws start afresh: its first wall takes its seed's first draw.
        own.seed(static_cast<int32_t>(seed));
        EXPECT_EQ(stairs.child(0)->seed, static_cast<uint32_t>(own.next()));
        EXPECT_FALSE(childrenOf<TypConStairsStraight>(stairs).empty());
        EXPECT_FALSE(stairs.well.empty());
    }
}

TEST(Stairs, AOneStepFlightIsOneSlabAsHighAsTheClimbUnderItsBanister) {
    const Poly strip({{0, 0, TypConStairsStraight::kWall},
                      {2, 0, TypConStairsStraight::kEnd},
                      {2, -1, TypConStairsStraight::kBanister},
                      {0, -1, TypConStairsStraight::kBegin}});
    TypConStairsStraight flight(strip, Extrusion{5, 0.18f}, 1, 1.0f, nullptr, 3, "Wood1");
    EXPECT_FLOAT_EQ(flight.extrusion.height, 1.18f);
    flight.generate();
    const auto steps = childrenOf<TypConSlabSimple>(flight);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_FLOAT_EQ(steps[0]->extrusion.level, 5.0f);
    EXPECT_FLOAT_EQ(steps[0]->extrusion.height, 0.18f);
    EXPECT_NEAR(steps[0]->poly.area(), 2.0f, 1e-5f);
    const auto banisters = childrenOf<TypLinBanisterSloping>(flight);
    ASSERT_EQ(banisters.size(), 1u);
    // From the foot (x = 0) to the head, 0.04 in from the open side.
    EXPECT_FLOAT_EQ(banisters[0]->line.x0, 0.0f);
    EXPECT_FLOAT_EQ(banisters[0]->line.y0, -0.96f);
    EXPECT_FLOAT_EQ(banisters[0]->extrusion.level, 4.9f);
    EXPECT_FLOAT_EQ(banisters[0]->endLevel, 5.08f);

    // A strip edited into something else stays coarse.
    TypConStairsStraight edited(rectangle(2, 1), Extrusion{5, 1}, 3, 1.0f, nullptr, 3, "Wood1");
    EXPECT_NO_THROW(edited.generate());
    EXPECT_EQ(edited.childCount(), 0);
}
