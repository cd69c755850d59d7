#pragma once
// The building census: grows one whole quarter of the world to its leaves and
// counts what it holds, times its court buildings and checks that it grows
// again alike after a collapse.
#include <cstdio>
#include <vector>

#include "core/Vector.h"
#include "typology/World.h"  // findQuarter

class Desc;
class Terrain;
class TypBuiStreet;
class TypQuaIrregular;

// The street pieces under d that the estates laid (not the floors of stalls
// inside them), in tree order.
void collectStreets(Desc& d, std::vector<TypBuiStreet*>& out);

// Refines d and every description below it down to the leaves.
void growToLeaves(Desc& d);

// Where the view from eye towards target first meets the ground; eye itself
// when it never does within 10 km.
Vector groundPointAhead(const Terrain& ground, const Vector& eye, const Vector& target);

// The census point (world x, z): at when given, else where the start camera's
// view meets the ground.
Vec2 censusPoint(const Terrain& ground, const float* at);
// The quarter of world holding the census point over ground (null when
// none), with its world transform in frame.
TypQuaIrregular* censusQuarter(Desc& world, const Terrain& ground, const float* at, Matrix44& frame);

// The street walk's route (walkStreets) over the street pieces of the quarter
// holding point, from the place nearest it, setting off as the start camera
// looks; the world is left bare again afterwards. Empty when no quarter
// holds it.
std::vector<Vec2> streetRouteAt(Desc& world, const Vec2& point);

// Grows the quarter holding (x, z) and prints "census: <class> <count>" per
// class and "census: model <name> <count>" per placed model (sorted by name),
// "census: street <class> pieces P models M triangles T per-piece models m
// triangles t" per style of street piece, "census: market-street median-ms X
// max-ms Y (of N)" over its market streets grown alone,
// "census: nodes N drawables D triangles T ms M",
// "census: stairs-rooms S without-stair U" (rooms where no stair fits),
// "census: court-building median-ms X p99-ms Y" over its court buildings grown
// alone, and "fingerprint: <hex>" of the quarter; then collapses and regrows
// it. The court building of median size is described on stderr. Returns 0, 1
// when the regrown quarter differs, 2 when no quarter holds the point, 3 when
// a check fails while growing (reported on stderr).
int runCensus(Desc& world, float x, float z, std::FILE* out);
