#pragma once
// The tour's street walk: a route along the street pieces of one quarter, as
// a person walks them. Each piece the estates lay (a strip between the middle
// of the street, its edge 1, and the building line, its edge 3) gives a walk
// line along it, set in from the street's middle where the piece leaves room:
// beside the parked cars and short of the lamps on a street of the 20th
// century, in the first lane between the stalls of a market street, along the
// strip's middle on a plain one. Walk lines meet where the pieces of one
// estate turn its corner and are linked straight across the streets that
// cross them. The walk starts at the line end nearest a point, sets off as
// the start camera looks, and at every place with a choice alternately keeps
// straight on and turns (right, then left the next time), preferring lines
// it has not walked; a dead end sends it back.
#include <array>
#include <vector>

#include "core/Vector.h"

class Desc;

namespace streetwalk {
// Length of the route (metres).
inline constexpr float kLength = 480.0f;
// A turn takes a way at least this far (radians) off straight on, and at
// most this far: beyond it is turning back.
inline constexpr float kMinTurn = 0.5f;
inline constexpr float kMaxTurn = 2.4f;
// Line ends closer than this (metres) are one place: where the pieces of a
// corner meet, their lines end a step apart.
inline constexpr float kSamePlace = 2.0f;
// Line ends up to this far apart are joined when the way between is paved...
inline constexpr float kCornerLink = 4.0f;
// ...and up to this far when the way also runs on straight from both lines.
inline constexpr float kCrossingLink = 25.0f;
inline constexpr float kCrossingAngle = 0.6f;  // radians
// How far a point may lie outside a piece and still count as on it (metres).
inline constexpr float kOnPiece = 0.3f;
// Clearances on a street of the 20th century: beyond the parked cars' outer
// side (1.2 m + half a car from the middle), short of the lamps.
inline constexpr float kPastCars = 2.7f;
inline constexpr float kShortOfLamps = 1.2f;
}  // namespace streetwalk

// The street pieces of a quarter in world coordinates (x, z), each with the
// line walked along it.
struct StreetPieces {
    struct Piece {
        std::array<Vec2, 4> corners;  // the piece's polygon, its edge 1 the street's middle
        Vec2 from, to;                // its walk line
    };
    std::vector<Piece> pieces;

    // Whether p lies on a piece, kOnPiece allowed.
    bool covers(const Vec2& p) const;
    // Whether the straight way from a to b stays on the pieces (every half metre).
    bool paved(const Vec2& a, const Vec2& b) const;
};

// The street pieces the estates of the quarter holding world point (x, z) lay
// (the quarter grown down to them on the way); none when no quarter holds it.
StreetPieces quarterStreetPieces(Desc& world, const Vec2& point);

// The route (world x, z) along the pieces' walk lines, from the line end
// nearest point, about length metres long (it ends at the first place
// beyond); heading: the direction (x, z) to set off in. Empty without pieces.
std::vector<Vec2> walkStreets(const StreetPieces& streets, const Vec2& point, const Vec2& heading,
                              float length = streetwalk::kLength);
