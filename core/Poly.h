#pragma once
// Planar polygons and segments in single precision. A polygon is closed
// implicitly: edge i runs from point i to point i+1 (the last edge back to
// point 0) and carries point i's limit byte, whose meaning belongs to the
// typology that owns the polygon. The orientation used throughout gives a
// positive area2().
#include <cstdint>
#include <vector>

#include "core/Vector.h"

namespace tolerance {
// Two points coincide when the squares of both coordinate differences are <= this.
inline constexpr float kCoincident = 1e-8f;
// Two directions are parallel when the square of the cross product of their
// unit vectors is below this (a segment without length has no direction).
inline constexpr float kParallel = 1e-8f;
// A parameter along a segment snaps to an end within this distance of 0 or 1.
inline constexpr float kSnap = 0.0001f;
// A polygon is degenerate when twice its oriented area is below this.
inline constexpr float kDegenerate = 0.001f;
}  // namespace tolerance

// True when the squares of both coordinate differences are <= kCoincident.
bool coincident(const Vec2& a, const Vec2& b);

struct Point {
    float x = 0, y = 0;
    uint8_t limit = 0;  // classifies the edge that starts here

    Vec2 vec() const { return {x, y}; }
    bool coincides(const Point& o) const;
};

struct Segment {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint8_t limit = 0;

    Vec2 start() const { return {x0, y0}; }
    Vec2 end() const { return {x1, y1}; }
    Vec2 direction() const { return {x1 - x0, y1 - y0}; }
    float length() const { return direction().length(); }
    // start + t * (end - start)
    Vec2 pointAt(float t) const;
    // Shifted by d along the left normal (-dy, dx)/length; zero length or d = 0: unchanged.
    Segment offset(float d) const;
    // Distance of p from the segment's line, positive on the left; for a
    // zero-length segment, the distance to its start.
    float signedDistance(const Vec2& p) const;
};

// Result codes of intersect(): bit 1 the crossing lies on a, bit 2 on b;
// 3 also for a shared end point; 8 for parallel directions.
inline constexpr int kIntersectParallel = 8;
// Crossing of the two segments' lines with the snapping rules: a shared end
// point wins (code 3, out = a's point); parallel gives 8 and leaves out alone;
// else a's parameter snaps to its ends, then b's, overriding.
int intersect(const Segment& a, const Segment& b, Vec2& out);
// True when end points coincide; false when parallel; else both parameters in (-0.0001, 1.0001).
bool segmentsIntersect(const Segment& a, const Segment& b);

class Poly {
public:
    Poly() = default;
    explicit Poly(std::vector<Point> points) : points_(std::move(points)) {}

    int count() const { return static_cast<int>(points_.size()); }
    bool empty() const { return points_.empty(); }
    Point& operator[](int i) { return points_[i]; }
    const Point& operator[](int i) const { return points_[i]; }
    const std::vector<Point>& points() const { return points_; }
    std::vector<Point>& points() { return points_; }
    void clear() { points_.clear(); }
    // Appends without any merging.
    void append(const Point& p) { points_.push_back(p); }

    // Twice the oriented area (trapezoid rule), positive for the orientation used throughout.
    float area2() const;
    float area() const;
    float perimeter() const;
    // Reverses the point order (each point keeping its own limit) when area2
    // is below 0.001, then rebuilds the list with addPoint(), so a point that
    // coincides with the last kept one (or with the first) only hands its
    // limit over.
    void orient();
    // Coinciding with the first point only sets its limit; with the last
    // point, the last point's limit; otherwise appended.
    void addPoint(const Point& p);
    // Out-of-range indices are ignored.
    void removeAt(int i);
    // Moves the first n points to the end, keeping their order.
    void rotate(int n);
    // Edge i (taken modulo count()) with point i's limit; empty polygon: a zero segment.
    Segment edge(int i) const;
    std::vector<Segment> edges() const;
    // Even-odd crossing test.
    bool containsPoint(float x, float y) const;
    // At least 3 points, exactly n, no two non-adjacent edges intersect, area2 >= 0.001.
    bool isValid(int n) const;
    bool isValid() const { return isValid(count()); }
    // Every turn of the unit edge directions >= 0.0001; true below 4 points.
    bool isConvex() const;
    // Every turn of the raw edge vectors >= -0.0001; true below 5 points.
    bool isConvexLoose() const;
    // Drops points before edges shorter than minLength, then straight or
    // reversed corners (one pass each); returns whether anything was removed.
    // May leave fewer than 3 points.
    bool simplify(float minLength);
    // Shifts edge i by d along its left normal, its ends sliding on the neighbouring edges.
    void moveEdge(int i, float d);
    // Every edge i shifted along its left normal by distances[i] (count()
    // entries; null means all 0). Negative distances move a positively
    // oriented polygon's edges inwards. Corner i meets the shifted edges i - 1
    // and i and takes edge i's limit; parallel neighbours keep both ends.
    Poly inset(const float* distances) const;
    Poly inset(const std::vector<float>& distances) const { return inset(distances.data()); }
    Poly insetUniform(float d) const;
    // inset() keeps the point count, no shifted edge turns round, and no two
    // non-adjacent shifted edges intersect.
    bool canInset(const float* distances) const;
    bool canInset(const std::vector<float>& distances) const { return canInset(distances.data()); }
    // Gives each edge lying on an edge of reference that edge's limit; other
    // edges keep theirs.
    void transferLimits(const Poly& reference);
    // Cuts the polygon into a and b (both cleared first). Returns
    //   2: two edges cross; the pieces meet at the crossing and are oriented;
    //   1: a concave corner i is cut towards the first edge k after it that its
    //      cut line meets; a starts at point i with limitA on the cut, b holds
    //      the cut (ending at point i) with limitB;
    //   0: no cut found: b is the triangle at the corner whose neighbours are
    //      closest, its closing edge limitB; a is the rest, its closing edge
    //      limitA (limitA = 255: a keeps its limits). Also 0 with both pieces
    //      empty for fewer than 4 points.
    int splitInTwo(Poly& a, Poly& b, uint8_t limitA, uint8_t limitB) const;
    // Mean of the points; (0, 0) for an empty polygon.
    Vec2 centroid() const;
    // Bounding box of the points; false for an empty polygon.
    bool bounds(float& minX, float& minY, float& maxX, float& maxY) const;

    // Same points with the same limits, in the same order.
    bool operator==(const Poly& o) const;

private:
    std::vector<Point> points_;
};
