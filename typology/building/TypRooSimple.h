#pragma once
// A room of a storey in one of eight kinds (Empty, Court, Entry, Stairs,
// Corridor, Free-standing, Buried, StreetLevel). It builds the walls along
// its edges from its wall list, with the opening places of each wall decided
// by its kind, and its ceiling and floor slabs. A stairs room is a
// TypRooStairsAroundWalls.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Line.h"
#include "typology/building/TypRoo.h"

class TypRooSimple : public TypRoo {
public:
    // wallList: one line per polygon edge, the plan's (not owned; null: the
    // polygon's edges 0.3 wide). Facades, wall sections and openings take the
    // storey's values.
    TypRooSimple(uint8_t kind, const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                 const char* materialName, const std::vector<Line>* wallList, bool ceiling, int32_t facades,
                 int32_t wallSections, int32_t openings);

    const ClassName& className() const override;
    // Heading, the variants entry over the room kinds at this kind, the
    // polygon with the eight edge kinds, "Ceiling", "Facades", "Wall
    // sections", "Openings", then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // A room of kind index over the same geometry and parameters; else null.
    Drawable* createVariant(int index) override;
    // Walls, then ceiling and floor; a corridor lays porticos and beams.
    void generate() override;
    // Coarse, the room is its prism; an open court shows nothing.
    void drawOwnShape(RenderContext& ctx) override;

    // A copy of the wall line of edge i with its undecided crossings assigned.
    virtual Line edgeWall(int i);
    // Replaces the undecided crossing limits of line by this kind's rule.
    virtual void assignOpenings(Line& line);

    // Makes a room of the given kind (0 to 7, a TypRooStairsAroundWalls for
    // Stairs; else null).
    static std::unique_ptr<TypRooSimple> make(uint8_t kind, const Poly& poly, const Extrusion& extrusion,
                                              TypBui* owner, uint32_t seed, const char* materialName,
                                              const std::vector<Line>* wallList, bool ceiling, int32_t facades,
                                              int32_t wallSections, int32_t openings);

    uint8_t kind = kEmptyRoom;                   // the variants entry's value
    const std::vector<Line>* walls = nullptr;    // not owned: the plan's wall list
    bool ceiling = true;                         // "Ceiling"
    int32_t facades = 0;                         // "Facades"
    int32_t wallSections = 0;                    // "Wall sections"
    int32_t openings = 0;                        // "Openings"

    // Ceiling slab and ground floor thickness (metres).
    static constexpr float kCeilingThickness = 0.3f;
    static constexpr float kFloorThickness = 0.05f;
    // A free-standing room's own wall: offset and width (metres).
    static constexpr float kFreeStandingOffset = 0.15f;
    static constexpr float kFreeStandingWidth = 0.3f;
    // Its ends move at most this far to meet the neighbouring walls (metres).
    static constexpr float kFreeStandingReach = 2.0f;

    static const ClassName kClassName;

protected:
    // The walls along the edges (a panel for a partition this room builds,
    // nothing for one its neighbour builds), each with a fresh seed.
    void generateWalls();
    Line wallLine(int i) const;
    // The polygon between the walls: every edge moved inwards by half its
    // wall's width (the polygon itself when that cannot be done).
    Poly innerPolygon() const;

private:
    void addWall(const Line& line);
    void addCeilingAndFloor();
    void generateCorridor();
    Line freeStandingWall(int i) const;
};
