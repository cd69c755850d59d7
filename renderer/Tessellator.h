#pragma once
// Tessellation of the renderer's primitives into the mesh vertex format, on
// the CPU and without GL, so the shapes can be checked without a context.
//
// Winding: a face is seen from the side where its vertices run counter-
// clockwise on screen; for a positively oriented polygon (area2() > 0) the
// prism's outside faces are the ones seen. The stored normal is the outward
// one, the lit side of the face.
#include <cstdint>
#include <vector>

#include "core/lod/Impostor.h"
#include "core/Poly.h"
#include "core/Vector.h"
#include "renderer/Mesh.h"

struct ClipPolygon;

// The first two rows of a 4x4 texture matrix: (u, v) are these rows applied
// to the vertex position (x, y, z, 1).
struct TextureMatrix {
    float u[4] = {0, 0, 0, 0};
    float v[4] = {0, 0, 0, 0};

    Vec2 apply(const Vector& p) const;

    // Texture axes axisU, axisV (normalised here) scaled by scale and the
    // factors, then shifted by the offsets.
    static TextureMatrix fromAxes(const Vector& axisU, const Vector& axisV, float offsetU, float offsetV,
                                  float scale, float factorU = 1, float factorV = 1);
    // Planar projection of a mapping mode oriented by the reference edge
    // (dx, dy) of a polygon: vertical (bit 1) runs u along the edge and v up
    // the wall, horizontal (bit 2, also taken when neither is set) lays the
    // picture on the ground, oblique (bit 4) turns the axes by 45 degrees and
    // stretches by sqrt 2, rotated (bit 8) exchanges the axes. offsetU,
    // offsetV and scale as Material::textureOffset gives them (scale is
    // repeats per metre).
    static TextureMatrix planar(uint8_t mapping, const Vec2& edge, float offsetU, float offsetV, float scale);
};

// Direction of the polygon's edge `index`; an index at or beyond the last
// point gives the closing edge. Zero for fewer than 2 points.
Vec2 referenceEdge(const Poly& poly, int index);

class Tessellator {
public:
    // Appends a vertex with zero normal and texture coordinate; its number.
    int addVertex(const Vector& p);
    // Appends a triangle and writes its flat normal into its three vertices
    // (a vertex shared with an earlier triangle takes the later normal).
    void addTriangle(int a, int b, int c);
    // (u, v) of every vertex from first on through t.
    void mapTexture(const TextureMatrix& t, int first = 0);
    void mapTexture(const ImpostorProjection& t, int first = 0);

    // Prism over an n-point polygon with the point heights bottom[i] and
    // top[i] (world y): 6n vertices (bottom ring, top ring, then both rings
    // twice more so that every side face has its own corners) and 4n - 4
    // triangles (two fan caps and two triangles a side).
    void addPrism(const Poly& poly, const float* bottom, const float* top);
    // Triangles over plane points lifted to heights[i]: `triangles` holds
    // three point numbers each (0-based); each is turned to be seen from
    // above (up) or from below.
    void addSurface(const std::vector<Vec2>& points, const std::vector<float>& heights,
                    const std::vector<int>& triangles, bool up);
    // Vertical faces along a closed outline, seen from the left of its
    // direction of travel (the outside of a positively oriented polygon):
    // four vertices and two triangles an edge, from bottom[i] up to top[i].
    void addSides(const std::vector<Vec2>& outline, const std::vector<float>& bottom, const std::vector<float>& top);

    int vertexCount() const { return static_cast<int>(vertices.size()); }
    int triangleCount() const { return static_cast<int>(indices.size() / 3); }

    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
};

// True when a fan from the first point covers the polygon: fewer than 5
// points, or no turn against the orientation beyond 0.0001 at any point.
bool isFanConvex(const Poly& poly);
// Fan triangles (0, i - 1, i) for i = 2 .. n - 1.
std::vector<int> fanTriangles(int n);
// Points and 0-based triangles of a triangulation (which numbers from 1).
void flattenTriangulation(const ClipPolygon& shape, std::vector<Vec2>& points, std::vector<int>& triangles);
void flattenTriangulation(const Poly& poly, std::vector<Vec2>& points, std::vector<int>& triangles);
