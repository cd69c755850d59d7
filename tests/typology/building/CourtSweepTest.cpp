// Every court building of one real quarter grown down to its leaves.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/PolyClip.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooSimple.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

void countClasses(const Drawable& d, std::map<std::string, int>& counts) {
    ++counts[d.className().name];
    if (auto* desc = dynamic_cast<const Desc*>(&d))
        for (int i = 0; i < desc->childCount(); ++i)
            countClasses(*desc->child(i), counts);
}

// A quarter of the world's central town, by index.
struct Quarter {
    std::unique_ptr<TypRegIrregular> root;
    TypQuaIrregular* quarter = nullptr;
};

Quarter realQuarter(size_t index) {
    Quarter q;
    q.root = buildWorld();
    q.quarter = centralQuarter(*q.root, index);
    return q;
}

class CourtSweep : public ::testing::TestWithParam<size_t> {};

}  // namespace

TEST_P(CourtSweep, EveryCourtBuildingOfARealQuarterTilesItsRingAndRegrowsAlike) {
    Quarter q = realQuarter(GetParam());
    ASSERT_NE(q.quarter, nullptr);
    const std::vector<TypBuiCourt*> courts = refinedCourts(*q.quarter);
    ASSERT_GT(courts.size(), 5u);

    int rooms = 0, invalid = 0, untiled = 0, partitionFaults = 0, storeyFaults = 0, regrowFaults = 0, leftOut = 0;
    size_t mostRooms = 0;  // a storey holds one child per room
    std::map<std::string, int> classes;
    double slowest = 0;
    for (TypBuiCourt* court : courts) {
        const auto start = std::chrono::steady_clock::now();
        try {
            growAll(*court);
        } catch (const AssertException& e) {
            ADD_FAILURE() << "court seed " << court->seed << ": assertion " << e.source() << " " << e.line();
            continue;
        }
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                              start).count());
        countClasses(*court, classes);
        auto* plan = dynamic_cast<TypRooCourtPlan*>(court->child(0));
        ASSERT_NE(plan, nullptr);
        leftOut += plan->roomsLeftOut;
        mostRooms = std::max(mostRooms, plan->roomPolys.size());
        ASSERT_FALSE(plan->roomPolys.empty());
        // Rooms and corridor strips: everything but the court room (the last one).
        const size_t ringRooms = plan->roomPolys.size() - 1;
        double sum = 0;
        ClipPolygon united;
        for (size_t r = 0; r < plan->roomPolys.size(); ++r) {
            const Poly& room = plan->roomPolys[r];
            ++rooms;
            if (!room.isValid()) {
                ++invalid;
                ADD_FAILURE() << "court seed " << court->seed << " room " << r << " is invalid";
            }
            if (r < ringRooms) {
                sum += room.area();
                united = clipPolygons(ClipOp::Union, united, ClipPolygon{{room}, {false}});
            }
        }
        double unitedArea = 0;
        for (size_t k = 0; k < united.contours.size(); ++k)
            unitedArea += (united.holes[k] ? -1.0 : 1.0) * united.contours[k].area();
        const double ring = court->poly.area() - plan->courtPoly.area();
        if (std::fabs(sum - ring) > 0.01 * ring || std::fabs(unitedArea - sum) > 0.01 * sum) {
            ++untiled;
            ADD_FAILURE() << "court seed " << court->seed << ": rooms cover " << sum << " (united " << unitedArea
                          << ") of a ring of " << ring;
        }
        // Every partition between rooms is built by exactly one of the two
        // sides. (The court room leaves its entry and passing sides open.)
        for (size_t r = 0; r < ringRooms; ++r) {
            const Poly& room = plan->roomPolys[r];
            for (int i = 0; i < room.count(); ++i) {
                const Segment edge = room.edge(i);
                if (edge.limit != TypRoo::kWallIn && edge.limit != TypRoo::kWallOut)
                    continue;
                float built = edge.limit == TypRoo::kWallIn ? edge.length() : 0.0f;
                for (size_t o = 0; o < plan->roomPolys.size(); ++o) {
                    if (o == r)
                        continue;
                    const Poly& other = plan->roomPolys[o];
                    for (int j = 0; j < other.count(); ++j)
                        if (other[j].limit != TypRoo::kWallOut)
                            built += overlap(edge, other.edge(j));
                }
                if (std::fabs(built - edge.length()) > 1e-2f) {
                    ++partitionFaults;
                    ADD_FAILURE() << "court seed " << court->seed << " room " << r << " edge " << i << " of "
                                  << edge.length() << " m is built over " << built << " m";
                }
            }
        }
        // Every storey holds the plan's rooms on their own polygons, so each
        // storey tiles the ring as the plan does. (Children are ordered by
        // depth after generation, so rooms are matched whatever their order.)
        for (auto* storey : childrenOf<TypRooCourtFloor>(*plan)) {
            const auto storeyRooms = childrenOf<TypRooSimple>(*storey);
            std::vector<bool> matched(plan->roomPolys.size(), false);
            bool same = storeyRooms.size() == plan->roomPolys.size();
            for (const TypRooSimple* room : storeyRooms) {
                size_t r = 0;
                while (r < matched.size() && (matched[r] || !(room->poly == plan->roomPolys[r])))
                    ++r;
                if (r == matched.size())
                    same = false;
                else
                    matched[r] = true;
            }
            if (!same) {
                ++storeyFaults;
                ADD_FAILURE() << "court seed " << court->seed << ": a storey at " << storey->extrusion.level
                              << " holds " << storeyRooms.size() << " rooms, not the plan's " << plan->roomPolys.size();
            }
        }
        std::vector<ChildPrint> first;
        printSubtree(*court, first);
        court->releaseChildren();
        growAll(*court);
        std::vector<ChildPrint> second;
        printSubtree(*court, second);
        if (!(first == second)) {
            ++regrowFaults;
            ADD_FAILURE() << "court seed " << court->seed << " grows differently after a collapse";
        }
        court->releaseChildren();
    }
    std::cout << "[ sweep    ] " << courts.size() << " court buildings, " << rooms << " rooms (" << leftOut
              << " segments left to the court, at most " << mostRooms << " in one plan), slowest " << slowest << " ms\n[ sweep    ]";
    for (const auto& [name, count] : classes)
        std::cout << " " << name << " " << count;
    std::cout << "\n";
    EXPECT_LE(mostRooms, static_cast<size_t>(Desc::kMaxChildren));
    EXPECT_EQ(leftOut, 0);  // every built segment of the court has its room
    EXPECT_EQ(invalid, 0);
    EXPECT_EQ(untiled, 0);
    EXPECT_EQ(partitionFaults, 0);
    EXPECT_EQ(storeyFaults, 0);
    EXPECT_EQ(regrowFaults, 0);
}

// The second quarter of the central town holds the most court buildings (442),
// among them rooms that keep no corridor strip beside neighbours that do and
// wings meeting at acute plot corners; the fourth has corner partitions that
// turn square to their wing beside a corridor strip.
INSTANTIATE_TEST_SUITE_P(CentralTown, CourtSweep, ::testing::Values(size_t{1}, size_t{3}));
