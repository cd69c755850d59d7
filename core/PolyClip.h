#pragma once
// Polygon booleans and triangulation behind one adapter (Clipper for the
// booleans, the GLU tessellator for triangles). Coordinates are metres and are
// scaled to integers internally with a fixed factor.
#include <vector>

#include "core/Poly.h"

enum class ClipOp { Difference, Intersection, Xor, Union };

// A polygon with holes: contours[i] with holes[i] telling whether it is a hole.
struct ClipPolygon {
    std::vector<Poly> contours;
    std::vector<bool> holes;

    void add(const Poly& contour, bool hole) {
        contours.push_back(contour);
        holes.push_back(hole);
    }
};

// subject op clip. Result contours are turned back into Polys: consecutive
// coincident points merged, limits 0, then limits transferred from the two
// reference polygons (either may be null) so that edges lying on an input edge
// keep its limit (the second reference wins where both hold an edge). Outer
// contours are oriented positively, holes negatively; input contours with
// fewer than 3 points or with non-finite coordinates are left out, and so are
// result contours that merge down to fewer than 3 points. A result point on
// the same 0.1 mm grid point as an input point comes back as that point exactly.
ClipPolygon clipPolygons(ClipOp op, const ClipPolygon& subject, const ClipPolygon& clip,
                         const Poly* reference1 = nullptr, const Poly* reference2 = nullptr);

// Triangulation of a polygon with holes (odd winding: the hole flags are not
// needed). vertices[0] holds no vertex, so that vertices are numbered from 1:
// first every point of the usable contours (3 or more finite points) in
// order, then any crossing points the triangulation had to add. Each triangle
// is three such numbers, turning like a positively oriented Poly (area2 > 0).
// A polygon that cannot be triangulated gives no triangles.
struct Triangulation {
    std::vector<Vec2> vertices;       // vertices[0] unused
    std::vector<int> triangles;       // 3 numbers per triangle, each >= 1
    int vertexCount() const { return static_cast<int>(vertices.size()) - 1; }
    int triangleCount() const { return static_cast<int>(triangles.size()) / 3; }
};
Triangulation triangulate(const ClipPolygon& polygon);
Triangulation triangulate(const Poly& poly);
