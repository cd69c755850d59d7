// The construction elements of one real quarter's court buildings, grown
// down to their drawables, and their stairs. (The census test grows a
// quarter twice and compares.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DrawablePolyExtruded.h"
#include "core/DrawableSlab.h"
#include "core/PolyClip.h"
#include "typology/building/TypBui.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooSimple.h"
#include "typology/building/TypRooStairsAroundWalls.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypConStairsStraight.h"
#include "typology/construction/TypLinBanisterSloping.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSection.h"
#include "typology/construction/TypLinWallSimple.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

struct Faults {
    std::map<std::string, int> classes;
    int uncovered = 0, invalid = 0, unlike = 0, seeds = 0, mappings = 0, slabs = 0, twice = 0;
    int stairsRooms = 0, withoutStair = 0, overlaps = 0, wellCovered = 0, unmet = 0, top = 0, unguarded = 0;
};

double sharedArea(const Poly& a, const Poly& b) {
    ClipPolygon pa, pb;
    pa.add(a, false);
    pb.add(b, false);
    double area = 0;
    for (const Poly& piece : clipPolygons(ClipOp::Intersection, pa, pb).contours)
        area += piece.area2() * 0.5;
    return area;
}

// True when p lies on the outline of poly (within a millimetre).
bool onOutline(const Poly& poly, const Vec2& p) {
    for (const Segment& e : poly.edges()) {
        const float length = e.length();
        const float s = length > 0 ? (p - e.start()).dot(e.direction()) / length : 0;
        if (std::fabs(e.signedDistance(p)) < 1e-3f && s > -1e-3f && s < length + 1e-3f)
            return true;
    }
    return false;
}

Vec2 middle(const Segment& s) { return s.pointAt(0.5f); }

// One stair: its flights and landings never overlap each other nor cover
// the well; the first flight starts at the storey level and every later
// one where the one before ended, its foot on that one's head or on a
// landing at its level; the last arrives at the storey level + height on
// the top landing; every side of the well is guarded by banister edges.
void checkStairs(const TypRooStairsAroundWalls& room, Faults& f) {
    ++f.stairsRooms;
    auto flights = childrenOf<TypConStairsStraight>(room);
    const auto platforms = childrenOf<TypConBalcony>(room);
    if (flights.empty()) {
        ++f.withoutStair;
        EXPECT_TRUE(platforms.empty() && room.well.empty());
        return;
    }
    std::stable_sort(flights.begin(), flights.end(), [](const TypConStairsStraight* a, const TypConStairsStraight* b) {
        return a->extrusion.level < b->extrusion.level;
    });
    std::vector<Poly> pieces;
    for (auto* flight : flights)
        pieces.push_back(flight->poly);
    for (auto* platform : platforms) {
        pieces.push_back(platform->poly);
        int guarded = 0;
        for (const Point& q : platform->poly.points())
            guarded += q.limit == TypConBalcony::kBanister;
        if (platform->childCount() != guarded + 1)
            ++f.unguarded;
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
        f.wellCovered += sharedArea(pieces[i], room.well) > 1e-3;
        for (size_t j = i + 1; j < pieces.size(); ++j)
            f.overlaps += sharedArea(pieces[i], pieces[j]) > 1e-3;
    }
    const float level = room.extrusion.level, top = level + room.extrusion.height;
    auto landingHolds = [&](float floor, const Vec2& p) {
        for (auto* platform : platforms)
            if (std::fabs(platform->floorLevel() - floor) < 1e-3f && onOutline(platform->poly, p))
                return true;
        return false;
    };
    float at = level;
    for (size_t k = 0; k < flights.size(); ++k) {
        const TypConStairsStraight& flight = *flights[k];
        const Vec2 foot = middle(flight.poly.edge(flight.edgeOf(TypConStairsStraight::kBegin)));
        bool met = std::fabs(flight.extrusion.level - at) < 1e-3f && flight.childCount() == flight.steps + 1;
        if (k > 0) {
            const TypConStairsStraight& before = *flights[k - 1];
            const Segment head = before.poly.edge(before.edgeOf(TypConStairsStraight::kEnd));
            met = met && (overlap(head, flight.poly.edge(flight.edgeOf(TypConStairsStraight::kBegin))) > 0.01f ||
                          landingHolds(at, foot));
        }
        f.unmet += !met;
        at = flight.extrusion.level + flight.climb();
    }
    const TypConStairsStraight& last = *flights.back();
    const Vec2 head = middle(last.poly.edge(last.edgeOf(TypConStairsStraight::kEnd)));
    f.top += std::fabs(at - top) > 1e-3f || !landingHolds(top, head);
    for (const Segment& side : room.well.edges()) {
        float guarded = 0;
        for (const Poly& piece : pieces)
            for (const Segment& e : piece.edges())
                if (e.limit == TypConBalcony::kBanister)
                    guarded += overlap(side, e);
        f.unguarded += std::fabs(guarded - side.length()) > 0.01f;
    }
}

// No two rooms of one storey build a wall, portico, panel or beam over the same stretch.
void checkStorey(const TypRooCourtFloor& storey, Faults& f) {
    struct Built {
        Segment segment;
        const Desc* room;
        const char* what;
    };
    std::vector<Built> built;
    for (const auto* room : childrenOf<TypRooSimple>(storey))
        for (const auto* element : childrenOf<LinearConstruction>(*room))
            built.push_back({element->line.segment(), room, element->className().name});
    for (size_t i = 0; i < built.size(); ++i)
        for (size_t j = i + 1; j < built.size(); ++j)
            if (built[i].room != built[j].room && overlap(built[i].segment, built[j].segment) > 0.01f) {
                ++f.twice;
                ADD_FAILURE() << "storey at " << storey.extrusion.level << ": a " << built[i].what << " and a "
                              << built[j].what << " of two rooms over "
                              << overlap(built[i].segment, built[j].segment) << " m of the same line";
            }
}

bool near(float a, float b) { return std::fabs(a - b) < 1e-3f; }

// The one drawable of a leaf, or null.
Drawable* leafOf(const Desc& d) { return d.childCount() == 1 ? d.child(0) : nullptr; }

void check(const Drawable& node, Faults& f) {
    ++f.classes[node.className().name];
    if (node.material && node.material->mapping == 0 && !dynamic_cast<const Desc*>(&node) &&
        dynamic_cast<const Desc*>(node.parent) &&
        (dynamic_cast<const LinearConstruction*>(node.parent) || dynamic_cast<const Construction*>(node.parent)))
        ++f.mappings;
    const auto* desc = dynamic_cast<const Desc*>(&node);
    if (!desc)
        return;
    if (auto* storey = dynamic_cast<const TypRooCourtFloor*>(desc))
        checkStorey(*storey, f);
    if (auto* stairs = dynamic_cast<const TypRooStairsAroundWalls*>(desc))
        checkStairs(*stairs, f);
    if (auto* wall = dynamic_cast<const TypLinWallSimple*>(desc)) {
        // Its sections run on from start to end, each where the last stopped.
        // (Children are ordered by depth after generation: sort them along the wall.)
        auto sections = childrenOf<TypLinWallSection>(*wall);
        const Vec2 start(wall->line.x0, wall->line.y0), direction = wall->line.segment().direction();
        std::stable_sort(sections.begin(), sections.end(), [&](const TypLinWallSection* a, const TypLinWallSection* b) {
            const float sa = (Vec2(a->line.x0, a->line.y0) - start).dot(direction);
            const float sb = (Vec2(b->line.x0, b->line.y0) - start).dot(direction);
            return sa != sb ? sa < sb : a->line.length() < b->line.length();
        });
        Vec2 at(wall->line.x0, wall->line.y0);
        float length = 0;
        bool joined = !sections.empty();
        for (auto* s : sections) {
            joined = joined && near(s->line.x0, at.x) && near(s->line.y0, at.y);
            at = Vec2(s->line.x1, s->line.y1);
            length += s->line.length();
        }
        joined = joined && near(at.x, wall->line.x1) && near(at.y, wall->line.y1);
        if (!joined || !near(length, wall->line.length())) {
            ++f.uncovered;
            ADD_FAILURE() << "wall seed " << wall->seed << ": " << sections.size() << " sections over "
                          << length << " of " << wall->line.length() << " m";
        }
    }
    if (auto* panel = dynamic_cast<const TypLinPanelSimple*>(desc)) {
        const Poly expected = TypLinPanelSimple::footprint(panel->line, panel->widthReduction);
        auto* prism = dynamic_cast<const DrawablePolyExtruded*>(leafOf(*panel));
        if (expected.empty() ? panel->childCount() != 0 : !prism || !(prism->poly == expected)) {
            ++f.unlike;
            ADD_FAILURE() << panel->className().name << " seed " << panel->seed << " draws another footprint";
        }
        if (prism && !prism->poly.isValid())
            ++f.invalid;
        const bool beam = dynamic_cast<const TypLinBeamSimple*>(panel) != nullptr;
        if (prism && !beam && (!dynamic_cast<const TypBui*>(panel->context) || prism->seed != panel->context->seed))
            ++f.seeds;
    }
    // A flight is no leaf: its steps are.
    auto* c = dynamic_cast<const Construction*>(desc);
    if (c && !dynamic_cast<const TypConStairsStraight*>(desc)) {
        Drawable* leaf = leafOf(*c);
        const bool pillar = dynamic_cast<const TypConPillarSimple*>(c) != nullptr;
        if (c->poly.count() >= 3 && !leaf) {
            ++f.slabs;
        } else if (leaf && !pillar) {
            const bool convex = c->poly.isConvex();
            const bool tiled = dynamic_cast<const TypConFloorTiled*>(c) != nullptr;
            const uint8_t want = tiled || !convex ? mapping::kHorizontal : mapping::kHorizontal | mapping::kOblique;
            if ((convex ? !dynamic_cast<const DrawablePolyExtruded*>(leaf) : !dynamic_cast<const DrawableSlab*>(leaf)) ||
                leaf->material->mapping != want)
                ++f.slabs;
        }
        if (leaf && !leaf->material->bound())
            ++f.slabs;
    }
    for (int i = 0; i < desc->childCount(); ++i)
        check(*desc->child(i), f);
}

}  // namespace

TEST(LeafSweep, EveryLeafOfARealQuarterDrawsItsFootprintWallsAreCoveredAndBuiltOnceStairsClimbInOrderAroundAnOpenWell) {
    auto root = buildWorld();
    TypQuaIrregular* quarter = centralQuarter(*root, 3);
    ASSERT_NE(quarter, nullptr);
    const std::vector<TypBuiCourt*> courts = refinedCourts(*quarter);
    ASSERT_GT(courts.size(), 5u);
    Faults f;
    for (TypBuiCourt* court : courts) {
        growAll(*court);
        check(*court, f);
        court->releaseChildren();
    }
    std::cout << "[ sweep    ] " << courts.size() << " court buildings:";
    for (const auto& [name, count] : f.classes)
        std::cout << " " << name << " " << count;
    std::cout << "\n[ sweep    ] stairs rooms " << f.stairsRooms << ", without a stair " << f.withoutStair << "\n";
    for (const char* name :
         {"TypLinWallSection", "TypLinPanelSimple", "TypLinBeamSimple", "TypConPillarSimple", "TypConSlabSimple",
          "TypConFloorTiled", "TypLinOpeningSimple", "TypLinPortico", "TypLinOpeningBanister", "TypLinOpeningBalcony",
          "TypLinBanister", "TypLinBanisterCross", "TypLinBanisterSloping", "TypLinBanisterSlopingCross",
          "TypConBalcony", "TypConStairsStraight", "TypRooStairsAroundWalls", "TypLinPanelSloping"})
        EXPECT_GT(f.classes[name], 0) << name;
    // Most stairs rooms hold a stair.
    EXPECT_LT(f.withoutStair * 5, f.stairsRooms);
    EXPECT_EQ(f.overlaps, 0);
    EXPECT_EQ(f.wellCovered, 0);
    EXPECT_EQ(f.unmet, 0);
    EXPECT_EQ(f.top, 0);
    EXPECT_EQ(f.unguarded, 0);
    EXPECT_EQ(f.uncovered, 0);
    EXPECT_EQ(f.invalid, 0);
    EXPECT_EQ(f.unlike, 0);
    EXPECT_EQ(f.seeds, 0);
    EXPECT_EQ(f.mappings, 0);
    EXPECT_EQ(f.slabs, 0);
    EXPECT_EQ(f.twice, 0);
}
