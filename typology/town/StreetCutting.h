#pragma once
// The cuts the urban levels make through their LandPoly pieces. Winding
// streets (municipality, town): startStub at one anchor, findStreetEnd for the
// other, growStreet between them. Straight cuts (quarter, block):
// startDirection, findCrossingVertex, crossesOutline, makeCutLine. Both end in
// splitAlongStreet. Every random number comes from the generator passed in
// (the generation generator by default), in a fixed order, so that a piece
// regenerated from the same seed is cut the same way. Polygons are expected
// in the system's orientation (positive area2); angles in radians, lengths in
// metres.
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/RandomGenerator.h"
#include "typology/town/LandPoly.h"

// A short segment from an anchor into a piece; also used as a plain segment
// start -> end with a limit.
struct Stub {
    Vec2 start;
    Vec2 end;
    uint8_t limit = 0;  // the limit of the anchor it starts from
    float width = 0;    // the anchor's edge width

    Vec2 direction() const { return end - start; }
    Segment segment() const { return {start.x, start.y, end.x, end.y, limit}; }
};

// From point i along the inward normal of edge i, of length uniform(L/2, L)
// with L = lengthScale(area). One draw.
Stub startStub(const LandPoly& polygon, float area, int i, RandomGenerator& random = RandomGenerator::generation());

// Turns the stub's heading by uniform(-winding, winding) (one draw), finds the
// outline edge that ray meets first and the anchors on either side of it;
// returns the one whose edge faces the ray more squarely, or -1.
int findStreetEnd(const Stub& stub, const LandPoly& polygon, float winding,
                  RandomGenerator& random = RandomGenerator::generation());

// A winding street from stub1's start to stub2's start in random steps that
// never cross the outline, then densified (points every 30 to 50 metres).
// Returns an open line S1 ... S2 (limits 0x12 at both ends, 0x02 on step
// points, 0x22 on inserted points), or an empty one when the stub ends are
// closer than twice the length scale, a stub crosses the outline, or
// ceil(area / areaLimit) attempts fail.
LandPoly growStreet(const LandPoly& polygon, float area, float areaLimit, float winding, const Stub& stub1,
                    const Stub& stub2, int i, int j, RandomGenerator& random = RandomGenerator::generation());

// A winding street between two anchors of the piece and the anchors it joins.
struct WindingStreet {
    int i = -1;
    int j = -1;
    LandPoly street;
};

// Draws an anchor (one draw), then tries a winding street from it: startStub,
// findStreetEnd and, when that finds another anchor, startStub there and
// growStreet. A failed try draws a new anchor; after ceil(area / areaLimit) + 1
// failed tries there is none. The piece needs at least one anchor.
std::optional<WindingStreet> findWindingStreet(const LandPoly& piece, float area, float areaLimit, float winding,
                                               RandomGenerator& random = RandomGenerator::generation());

// A unit stub from point i along the inward normal of edge i turned by
// uniform(-winding, winding). One draw.
Stub startDirection(const LandPoly& polygon, int i, float winding,
                    RandomGenerator& random = RandomGenerator::generation());

// The anchor where a straight cut along the stub would end, or -1 when the
// ray misses, no anchor exists, or the cut would meet the outline more than
// about 37 degrees from head-on. No draws.
int findCrossingVertex(const Stub& stub, const LandPoly& polygon);

// True when the segment from point i to point j crosses an edge other than
// the four that touch i or j.
bool crossesOutline(const LandPoly& polygon, int i, int j);

// A straight cut from anchor i to anchor j; seg runs from point i to point j
// with the stub's limit. tries counts the rejected cuts before it.
struct StraightCut {
    int i = -1;
    int j = -1;
    Stub seg;
    int tries = 0;
};

// Draws an anchor (one draw, made even when limit <= 0, which then gives
// none), then tries a straight cut from it: startDirection, findCrossingVertex
// and crossesOutline. A rejected cut draws a new anchor; after limit rejected
// cuts there is none. The piece needs at least one anchor.
std::optional<StraightCut> findStraightCut(const LandPoly& piece, float winding, int limit,
                                           RandomGenerator& random = RandomGenerator::generation());

// The straight line seg.start -> seg.end densified every 20 metres, with its
// navigation nodes: startNode and endNode at the ends, new nodes of owner's
// graph in between. Limit 3 makes a street (limits 0x02/0x12/0x22, nodes
// linked); any other limit a dividing line carrying that limit (plus 0x10 at
// the ends, 0x20 on inserted points), nodes unlinked.
LandPoly makeCutLine(DescPolyLand& owner, const Stub& seg, float width, GraphNode* startNode, GraphNode* endNode,
                     RandomGenerator& random = RandomGenerator::generation());

// The two pieces on either side of a line that runs from point i to point j
// through the polygon. Piece A runs from point i along the outline to j and
// back along the line; piece B from j along the outline to i and along the
// line. Points i and j become corners (anchor bit cleared, 0x10 set).
LandPoly splitPieceA(const LandPoly& polygon, int i, int j, const LandPoly& line);
LandPoly splitPieceB(const LandPoly& polygon, int i, int j, const LandPoly& line);
// "Road out" becomes "Road in" on every line point: the view from piece B.
void markStreetSides(LandPoly& line);
// Piece A, then (when markSides) the line marked, then piece B.
std::pair<LandPoly, LandPoly> splitAlongStreet(const LandPoly& polygon, int i, int j, LandPoly& line,
                                               bool markSides);

// The navigation hand-over in LandPoly terms (see core/DescPolyLand.h).
inline void addPath(Graph& graph, DescPolyLand& owner, LandPoly& line, GraphNode* start, GraphNode* end) {
    addPath(graph, owner, line.points, line.nodes, start, end);
}
inline void removePath(Graph& graph, const LandPoly& line) { removePath(graph, line.nodes); }
