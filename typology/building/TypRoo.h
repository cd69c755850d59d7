#pragma once
// The base of every room typology (plans, storeys, rooms, roofs): a polygon
// with an owner building whose wall material and land the room uses. Its
// extrusion is the storey slab the room occupies; the ground storey has high
// limit 1.
#include <cstdint>
#include <vector>

#include "core/Desc.h"
#include "core/Line.h"

class TypBui;
struct LimitNames;

class TypRoo : public DescPoly {
public:
    // Room edge kinds: the limit byte of each room polygon point.
    static constexpr uint8_t kPartyWall = 0;
    static constexpr uint8_t kFacade = 1;
    static constexpr uint8_t kEntry = 2;
    static constexpr uint8_t kEntryFacade = 3;
    static constexpr uint8_t kPassing = 4;
    static constexpr uint8_t kWallIn = 41;   // partition built by this room
    static constexpr uint8_t kWallOut = 42;  // partition built by the neighbour
    static constexpr uint8_t kCorridor = 56; // faces the corridor or the court
    // Crossing limit of an opening place that the building room has not decided yet.
    static constexpr uint8_t kUndecided = 4;

    // Room kinds: they choose the room class and its variant.
    enum Kind : uint8_t {
        kEmptyRoom = 0,
        kCourtRoom = 1,
        kEntryRoom = 2,
        kStairsRoom = 3,
        kCorridorRoom = 4,
        kFreeStandingRoom = 5,
        kBuriedRoom = 6,
        kStreetLevelRoom = 7,
    };
    static constexpr int kKindCount = 8;

    // owner: the building (not owned, may be null); materialName: null leaves it unbound.
    TypRoo(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypRoo", then DescPoly's.
    void declareParameters(ParameterList& list) override;

    // The room is on the ground storey.
    bool groundStorey() const { return extrusion.highLimit == 1; }
    // Ground height at (x, y): the owner's land, else the owner's level, else 0.
    float groundAt(float x, float y) const;

    // One line per edge of room, in edge order: the edge, its kind, the given
    // thickness, subdivided into undecided opening places. Asserts a valid room.
    static std::vector<Line> wallList(const Poly& room, float thickness);
    // The eight room edge kinds, and the five of a building's own polygon.
    static const LimitNames& edgeNames();
    static const LimitNames& buildingEdgeNames();

    TypBui* ownerBuilding = nullptr;  // not owned

    static const ClassName kClassName;
};
