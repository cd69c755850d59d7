#include "renderer/Tessellator.h"

#include <cmath>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/PolyClip.h"

namespace {
constexpr float kSqrt2 = 1.4142135f;
// Turn tolerance of the fan test: cross products of unnormalised edges.
constexpr float kFanTurn = 0.0001f;

Vector vertexPosition(const Vertex& v) { return {v.x, v.y, v.z}; }
}  // namespace

Vec2 TextureMatrix::apply(const Vector& p) const {
    return {u[0] * p.x + u[1] * p.y + u[2] * p.z + u[3], v[0] * p.x + v[1] * p.y + v[2] * p.z + v[3]};
}

TextureMatrix TextureMatrix::fromAxes(const Vector& axisU, const Vector& axisV, float offsetU, float offsetV,
                                      float scale, float factorU, float factorV) {
    const Vector a = axisU.normalized() * (scale * factorU);
    const Vector b = axisV.normalized() * (scale * factorV);
    TextureMatrix t;
    t.u[0] = a.x, t.u[1] = a.y, t.u[2] = a.z, t.u[3] = offsetU;
    t.v[0] = b.x, t.v[1] = b.y, t.v[2] = b.z, t.v[3] = offsetV;
    return t;
}

TextureMatrix TextureMatrix::planar(uint8_t mapping, const Vec2& d, float offsetU, float offsetV, float scale) {
    const bool oblique = (mapping & mapping::kOblique) != 0;
    Vector axisU, axisV;
    float factorU = 1, factorV = 1;
    if (mapping & mapping::kVertical) {
        axisU = oblique ? Vector(d.x - d.y, 0, d.x + d.y) : Vector(d.x, 0, d.y);
        // Image rows run downwards: v grows down the wall so pictures stand upright.
        axisV = Vector(0, -1, 0);
        if (oblique)
            factorU = kSqrt2;
    } else if (oblique) {
        axisU = Vector(d.x, 0, d.y);
        axisV = Vector(d.y, d.length(), -d.x);
        factorV = kSqrt2;
    } else {
        axisU = Vector(-d.y, 0, d.x);
        axisV = Vector(d.x, 0, d.y);
    }
    if (mapping & mapping::kRotated) {
        std::swap(axisU, axisV);
        std::swap(factorU, factorV);
    }
    return fromAxes(axisU, axisV, offsetU, offsetV, scale, factorU, factorV);
}

Vec2 referenceEdge(const Poly& poly, int index) {
    const int n = poly.count();
    if (n < 2)
        return {};
    if (index < 0 || index >= n - 1)
        return poly[0].vec() - poly[n - 1].vec();
    return poly[index + 1].vec() - poly[index].vec();
}

int Tessellator::addVertex(const Vector& p) {
    Vertex v;
    v.x = p.x, v.y = p.y, v.z = p.z;
    vertices.push_back(v);
    return static_cast<int>(vertices.size()) - 1;
}

void Tessellator::addTriangle(int a, int b, int c) {
    const Vector p0 = vertexPosition(vertices[a]);
    const Vector p1 = vertexPosition(vertices[b]);
    const Vector p2 = vertexPosition(vertices[c]);
    // The side the triangle is seen from (counter-clockwise on screen) is the
    // one its lit normal faces.
    const Vector n = (p1 - p2).cross(p0 - p2).normalized();
    for (int i : {a, b, c}) {
        vertices[i].nx = n.x, vertices[i].ny = n.y, vertices[i].nz = n.z;
        indices.push_back(static_cast<uint16_t>(i));
    }
}

namespace {
template <class Projection>
void mapVertices(std::vector<Vertex>& vertices, const Projection& t, int first) {
    for (size_t i = static_cast<size_t>(first); i < vertices.size(); ++i) {
        const Vec2 uv = t.apply(vertexPosition(vertices[i]));
        vertices[i].u = uv.x;
        vertices[i].v = uv.y;
    }
}
}  // namespace

void Tessellator::mapTexture(const TextureMatrix& t, int first) { mapVertices(vertices, t, first); }

void Tessellator::mapTexture(const ImpostorProjection& t, int first) { mapVertices(vertices, t, first); }

void Tessellator::addPrism(const Poly& poly, const float* bottom, const float* top) {
    const int n = poly.count();
    if (n < 3)
        return;
    const int base = vertexCount();
    for (int copy = 0; copy < 3; ++copy) {
        for (int i = 0; i < n; ++i)
            addVertex({poly[i].x, bottom[i], poly[i].y});
        for (int i = 0; i < n; ++i)
            addVertex({poly[i].x, top[i], poly[i].y});
    }
    const int ringA = base, ringB = base + n;
    for (int i = 2; i < n; ++i)
        addTriangle(ringA, ringA + i - 1, ringA + i);
    for (int i = 2; i < n; ++i)
        addTriangle(ringB, ringB + i, ringB + i - 1);
    // Side i starts on the second copy of its first corner and ends on the
    // third copy of the next, so no two sides share a vertex.
    for (int i = 0; i < n; ++i) {
        const int next = (i + 1) % n;
        const int a0 = base + 2 * n + i, b0 = base + 3 * n + i;
        const int a1 = base + 4 * n + next, b1 = base + 5 * n + next;
        addTriangle(a0, b0, b1);
        addTriangle(a0, b1, a1);
    }
}

void Tessellator::addSurface(const std::vector<Vec2>& points, const std::vector<float>& heights,
                             const std::vector<int>& triangles, bool up) {
    const int base = vertexCount();
    for (size_t i = 0; i < points.size(); ++i)
        addVertex({points[i].x, heights[i], points[i].y});
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        int a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
        // Counter-clockwise in the plane faces up.
        const float turn = (points[b] - points[a]).cross(points[c] - points[a]);
        if ((turn < 0) == up)
            std::swap(b, c);
        addTriangle(base + a, base + b, base + c);
    }
}

void Tessellator::addSides(const std::vector<Vec2>& outline, const std::vector<float>& bottom,
                           const std::vector<float>& top) {
    const size_t n = outline.size();
    for (size_t i = 0; i < n; ++i) {
        const size_t next = (i + 1) % n;
        const int a0 = addVertex({outline[i].x, bottom[i], outline[i].y});
        const int b0 = addVertex({outline[i].x, top[i], outline[i].y});
        const int a1 = addVertex({outline[next].x, bottom[next], outline[next].y});
        const int b1 = addVertex({outline[next].x, top[next], outline[next].y});
        addTriangle(a0, b0, b1);
        addTriangle(a0, b1, a1);
    }
}

bool isFanConvex(const Poly& poly) {
    const int n = poly.count();
    if (n < 5)
        return true;
    for (int i = 0; i < n; ++i) {
        const Vec2 in = poly[i].vec() - poly[(i + n - 1) % n].vec();
        const Vec2 out = poly[(i + 1) % n].vec() - poly[i].vec();
        if (in.cross(out) > kFanTurn)
            return false;
    }
    return true;
}

std::vector<int> fanTriangles(int n) {
    std::vector<int> triangles;
    for (int i = 2; i < n; ++i)
        triangles.insert(triangles.end(), {0, i - 1, i});
    return triangles;
}

namespace {
void flatten(const Triangulation& t, std::vector<Vec2>& points, std::vector<int>& triangles) {
    points.assign(t.vertices.begin() + (t.vertices.empty() ? 0 : 1), t.vertices.end());
    triangles.clear();
    for (int number : t.triangles) {
        CALLI_ASSERT(number >= 1 && number <= t.vertexCount());
        triangles.push_back(number - 1);
    }
}
}  // namespace

void flattenTriangulation(const ClipPolygon& shape, std::vector<Vec2>& points, std::vector<int>& triangles) {
    flatten(triangulate(shape), points, triangles);
}

void flattenTriangulation(const Poly& poly, std::vector<Vec2>& points, std::vector<int>& triangles) {
    flatten(triangulate(poly), points, triangles);
}
