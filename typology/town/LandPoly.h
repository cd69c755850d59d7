#pragma once
// The working polygon of the urban typologies: the points of a closed polygon
// (or an open street line) with their limit bytes, and two arrays parallel to
// the points: the width of the edge that starts at each point (a street width
// on streets, else 0 or what the parent gave) and the navigation node at each
// point (not owned; null where there is none). Coordinates in metres.
#include <cstdint>
#include <vector>

#include "core/Poly.h"
#include "core/RandomGenerator.h"

struct GraphNode;

// Limit bits of the urban levels (the edge that starts at the point).
namespace landlimit {
// Set together with kParty on the dividing lines of blocks ("Party" 9).
inline constexpr uint8_t kBlockParty = 0x01;
// "Road out": the edge lies on a street, seen from the street's first side.
inline constexpr uint8_t kRoadOut = 0x02;
// "Road in": the edge lies on a street, seen from the other side.
inline constexpr uint8_t kRoadIn = 0x04;
// "Party": a dividing line that is not a street.
inline constexpr uint8_t kParty = 0x08;
// Where a street or cut meets the outline of a piece; never chosen again.
inline constexpr uint8_t kCorner = 0x10;
// A street or cut may start or end here.
inline constexpr uint8_t kAnchor = 0x20;
// The limit that makes a cut a street rather than a dividing line.
inline constexpr uint8_t kStreetCut = 3;
}  // namespace landlimit

class LandPoly {
public:
    LandPoly() = default;
    // The polygon's points; widths and nodes when given (one per point), else
    // 0.0 and null.
    explicit LandPoly(const Poly& poly, const std::vector<float>& widths = {},
                      const std::vector<GraphNode*>& nodes = {});

    int count() const { return static_cast<int>(points.size()); }
    bool empty() const { return points.empty(); }
    void clear();

    // The append rule: a point coinciding with the first point only sets the
    // first point's limit; else, with more than one point, one coinciding with
    // the last point only sets the last point's limit; else it is appended
    // with its width and node.
    void append(const Point& p, float width = 0.0f, GraphNode* node = nullptr);
    // Inserts before index (count() appends), without any merging.
    void insert(int index, const Point& p, float width, GraphNode* node);

    Vec2 at(int i) const { return points[i].vec(); }
    // Edge k from point k to point k+1 (the last back to point 0), with point k's limit.
    Segment edge(int k) const;
    // The points as a plain polygon.
    Poly poly() const;
    float area2() const { return poly().area2(); }
    float area() const { return poly().area(); }
    float perimeter() const { return poly().perimeter(); }

    // Number of points with the anchor bit.
    int anchorCount() const;
    // Index of the r-th anchor (from 0, in point order), or -1.
    int anchorIndex(int r) const;

    std::vector<Point> points;
    std::vector<float> widths;       // one per point, metres
    std::vector<GraphNode*> nodes;   // one per point; not owned
};

// Length scale of a piece of area A (square metres): 100 below 10000, 200
// above 1000000, linear in between.
float lengthScale(float area);

// Inserts ceil(length / step) points on every edge (the closing edge only when
// closed), dividing it into nearly equal pieces: each fraction varies by up to
// +-20 % of itself (one draw per point). Inserted points take the limit of the
// edge's start with the anchor bit, the given width and no node; the given
// points are unchanged. The polygon needs at least 2 points (else nothing).
void jitterEdges(LandPoly& polygon, float step, float width, bool closed,
                 RandomGenerator& random = RandomGenerator::generation());
