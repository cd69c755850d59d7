#pragma once
// The plan of a court building: cuts the ring between the plot outline and
// the court polygon into one room per wing segment, a corridor strip along the
// court where the wings have corridors, and the court itself; gives every room
// a kind, finds the street storey and the entrances, then makes one storey per
// floor and, over built wings, the roof.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Line.h"
#include "typology/building/TypRoo.h"

class RandomGenerator;

class TypRooCourtPlan : public TypRoo {
public:
    // poly, extrusion: the building's; court: the court polygon with the court
    // vertex kinds; floors, corridorWidth, wallWidth, putStairs as the building decided.
    TypRooCourtPlan(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                    const char* materialName, const Poly& court, int floors, float corridorWidth, float wallWidth,
                    bool putStairs);

    const ClassName& className() const override;
    // Heading, the polygon, "CourtPoly", "Wall width", "Floors", "Corridor
    // width", "Put stairs", then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // The rooms (layRooms), the storeys, then the roof over built wings.
    void generate() override;
    // Coarse, the plan is the building's prism in its wall material.
    void drawOwnShape(RenderContext& ctx) override;

    // Steps before the storeys: room polygons, kinds and wall lists, the
    // court room, street storeys and entrances. Draws the stairs choice from
    // random. False, with nothing laid, when a court without built points
    // does not have one unbuilt point per plot corner (edited kinds): the
    // plan then stays coarse.
    bool layRooms(RandomGenerator& random);
    // Room kinds of storey f (from 0) from the plan kinds and street storeys.
    std::vector<uint8_t> storeyKinds(int storey) const;
    // The roof factory: 0 flat, 1 tiled, over this plan's polygon; else null.
    std::unique_ptr<TypRoo> makeRoof(int kind, const Extrusion& extrusion, uint32_t seed, const char* materialName);

    // Street storey of a facade whose ground lies `above` metres over the
    // building level, with storeys `storeyHeight` high, and the mismatch
    // between the ground and that storey's floor.
    static void streetStorey(float above, float storeyHeight, int& storey, float& mismatch);
    // Gives limit a to the middle undecided crossing of line (index n/2 of
    // those with limit 4) and b to the other undecided ones.
    static void split(Line& line, uint8_t a, uint8_t b);
    // Gives every undecided crossing of line limit x.
    static void all(Line& line, uint8_t x);

    Poly courtPoly;            // "CourtPoly"
    int32_t floors = 0;        // "Floors"
    float corridorWidth = 0;   // "Corridor width"
    float wallWidth = 0;       // "Wall width"
    bool putStairs = false;    // "Put stairs"
    // For every court vertex, the plot edge its court segment runs along, as
    // the building found it; empty: the plan finds them from the geometry.
    std::vector<int> courtEdges;
    std::vector<std::vector<Line>> wallLists;  // one per room
    std::vector<uint8_t> roomKinds;            // one per room, same order

    // Filled by layRooms: each room's polygon, street storey and mismatch;
    // the stairs room (-1: none); built court vertices; the open flag.
    std::vector<Poly> roomPolys;
    std::vector<int> roomStreetStorey;
    std::vector<float> roomMismatch;
    int stairsRoom = -1;
    int builtVertices = 0;
    bool open = false;
    // Segments whose room could not be cut (an unusual plot shape): left to the court.
    int roomsLeftOut = 0;

    // What "Wall width" and "Corridor width" take (metres): buildings draw
    // walls from 0.3 to 1 and corridors up to 3.5 wide.
    static constexpr float kMinWallWidth = 0.05f;
    static constexpr float kMaxWallWidth = 5.0f;
    static constexpr float kMaxCorridorWidth = 20.0f;
    // Clear corridor width below which no corridor strip is laid (metres).
    static constexpr float kMinCorridor = 0.5f;
    // Buildings higher than this with closed courts get steel porticos (metres).
    static constexpr float kSteelHeight = 30.0f;

    static const ClassName kClassName;

private:
    struct Ring;
    // Room polygon of court segment k (and its corridor strip when
    // clearWidth > 0); false when no valid room comes out.
    bool segmentRoom(const Ring& ring, int k, float clearWidth, Poly& room, Poly& strip) const;
    void addRoom(const Poly& room, uint8_t kind, float thickness);
    // Partition sides that no other room builds become built by their own
    // room (corridor strips with walls corridorWall thick).
    void buildUnsharedPartitions(float corridorWall);
    void findStreetLevels(float storeyHeight);
};
