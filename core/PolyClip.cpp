#include "core/PolyClip.h"

#include <GL/glu.h>
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace {

// Clipper works on integers: a tenth of a millimetre is finer than any
// tolerance the geometry uses and keeps town coordinates far inside its range.
constexpr double kScale = 10000.0;
// Coordinates beyond this (metres) are not geometry but garbage; such contours are left out.
constexpr double kMaxCoordinate = 1e9;

bool usable(const Point& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) < kMaxCoordinate &&
           std::fabs(p.y) < kMaxCoordinate;
}

ClipperLib::IntPoint toInt(const Point& p) {
    return {static_cast<ClipperLib::cInt>(std::llround(p.x * kScale)),
            static_cast<ClipperLib::cInt>(std::llround(p.y * kScale))};
}

using VertexMap = std::map<std::pair<ClipperLib::cInt, ClipperLib::cInt>, Vec2>;

// Adds the usable contours of polygon to the clipper and remembers every input
// vertex by its integer position, so that unchanged vertices come back exact.
void addPolygon(ClipperLib::Clipper& clipper, const ClipPolygon& polygon, ClipperLib::PolyType type,
                VertexMap& vertices) {
    for (const Poly& contour : polygon.contours) {
        bool ok = contour.count() >= 3;
        for (const Point& p : contour.points())
            ok = ok && usable(p);
        if (!ok)
            continue;
        ClipperLib::Path path;
        path.reserve(contour.count());
        for (const Point& p : contour.points()) {
            const ClipperLib::IntPoint q = toInt(p);
            path.push_back(q);
            vertices.emplace(std::make_pair(q.X, q.Y), p.vec());
        }
        clipper.AddPath(path, type, true);
    }
}

Poly toPoly(const ClipperLib::Path& path, const VertexMap& vertices) {
    Poly poly;
    for (const ClipperLib::IntPoint& q : path) {
        Point p;
        const auto known = vertices.find(std::make_pair(q.X, q.Y));
        if (known != vertices.end()) {
            p.x = known->second.x;
            p.y = known->second.y;
        } else {
            p.x = static_cast<float>(q.X / kScale);
            p.y = static_cast<float>(q.Y / kScale);
        }
        if (!poly.empty() && p.coincides(poly[poly.count() - 1]))
            continue;
        poly.append(p);
    }
    while (poly.count() > 1 && poly[poly.count() - 1].coincides(poly[0]))
        poly.removeAt(poly.count() - 1);
    return poly;
}

void reverse(Poly& poly) {
    std::vector<Point>& points = poly.points();
    std::reverse(points.begin(), points.end());
}

ClipperLib::ClipType clipType(ClipOp op) {
    switch (op) {
    case ClipOp::Difference: return ClipperLib::ctDifference;
    case ClipOp::Intersection: return ClipperLib::ctIntersection;
    case ClipOp::Xor: return ClipperLib::ctXor;
    case ClipOp::Union: return ClipperLib::ctUnion;
    }
    return ClipperLib::ctIntersection;
}

}  // namespace

ClipPolygon clipPolygons(ClipOp op, const ClipPolygon& subject, const ClipPolygon& clip, const Poly* reference1,
                         const Poly* reference2) {
    ClipperLib::Clipper clipper;
    // A straight point may be where an edge's limit changes: keep it.
    clipper.PreserveCollinear(true);
    VertexMap vertices;
    addPolygon(clipper, subject, ClipperLib::ptSubject, vertices);
    addPolygon(clipper, clip, ClipperLib::ptClip, vertices);
    ClipperLib::PolyTree tree;
    ClipPolygon result;
    // Even-odd on both sides: a contour inside another is a hole, whatever its flag.
    if (!clipper.Execute(clipType(op), tree, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd))
        return result;
    for (const ClipperLib::PolyNode* node = tree.GetFirst(); node; node = node->GetNext()) {
        Poly poly = toPoly(node->Contour, vertices);
        if (poly.count() < 3)
            continue;
        const bool hole = node->IsHole();
        if ((poly.area2() > 0) == hole)
            reverse(poly);
        if (reference1)
            poly.transferLimits(*reference1);
        if (reference2)
            poly.transferLimits(*reference2);
        result.add(poly, hole);
    }
    return result;
}

namespace {

// Collects the tessellator's output; vertex data are vertex numbers.
struct Tessellation {
    Triangulation* out = nullptr;
    std::vector<int> pending;  // numbers of the triangle being emitted
    bool failed = false;
};

void GLAPIENTRY onBegin(GLenum, void* data) { static_cast<Tessellation*>(data)->pending.clear(); }

void GLAPIENTRY onEdgeFlag(GLboolean, void*) {
    // Registering this callback is what makes the tessellator emit plain triangles.
}

void GLAPIENTRY onVertex(void* vertex, void* data) {
    auto* t = static_cast<Tessellation*>(data);
    t->pending.push_back(static_cast<int>(reinterpret_cast<intptr_t>(vertex)));
    if (t->pending.size() == 3) {
        t->out->triangles.insert(t->out->triangles.end(), t->pending.begin(), t->pending.end());
        t->pending.clear();
    }
}

void GLAPIENTRY onCombine(GLdouble coords[3], void*[4], GLfloat[4], void** outData, void* data) {
    auto* t = static_cast<Tessellation*>(data);
    t->out->vertices.emplace_back(static_cast<float>(coords[0]), static_cast<float>(coords[1]));
    *outData = reinterpret_cast<void*>(static_cast<intptr_t>(t->out->vertices.size() - 1));
}

void GLAPIENTRY onError(GLenum, void* data) { static_cast<Tessellation*>(data)->failed = true; }

void GLAPIENTRY onEnd(void*) {}

template <typename F>
_GLUfuncptr callback(F f) {
    return reinterpret_cast<_GLUfuncptr>(f);
}

// Twice the signed area of triangle (a, b, c) in the polygon convention.
double triangleArea2(const Vec2& a, const Vec2& b, const Vec2& c) {
    return (double(b.x) - a.x) * (double(a.y) + b.y) + (double(c.x) - b.x) * (double(b.y) + c.y) +
           (double(a.x) - c.x) * (double(c.y) + a.y);
}

}  // namespace

Triangulation triangulate(const ClipPolygon& polygon) {
    Triangulation result;
    result.vertices.emplace_back();  // number 0 holds no vertex
    // The tessellator keeps pointers to the coordinates until the polygon ends.
    std::vector<std::array<double, 3>> coords;
    std::vector<std::pair<int, int>> contours;  // first number and count of each usable contour
    for (const Poly& contour : polygon.contours) {
        bool ok = contour.count() >= 3;
        for (const Point& p : contour.points())
            ok = ok && usable(p);
        if (!ok)
            continue;
        contours.emplace_back(static_cast<int>(result.vertices.size()), contour.count());
        for (const Point& p : contour.points())
            result.vertices.push_back(p.vec());
    }
    if (contours.empty())
        return result;
    coords.resize(result.vertices.size());
    for (size_t i = 1; i < result.vertices.size(); ++i)
        coords[i] = {result.vertices[i].x, result.vertices[i].y, 0.0};

    GLUtesselator* tess = gluNewTess();
    if (!tess)
        return result;
    Tessellation state;
    state.out = &result;
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
    gluTessNormal(tess, 0, 0, 1);
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, callback(&onBegin));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, callback(&onEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, callback(&onVertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA, callback(&onCombine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, callback(&onError));
    gluTessCallback(tess, GLU_TESS_END_DATA, callback(&onEnd));
    gluTessBeginPolygon(tess, &state);
    for (const auto& [first, count] : contours) {
        gluTessBeginContour(tess);
        for (int i = first; i < first + count; ++i)
            gluTessVertex(tess, coords[i].data(), reinterpret_cast<void*>(static_cast<intptr_t>(i)));
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);

    if (state.failed) {
        result.triangles.clear();
        return result;
    }
    // Every triangle turns the way a positively oriented polygon does.
    for (size_t i = 0; i + 2 < result.triangles.size(); i += 3) {
        const Vec2& a = result.vertices[result.triangles[i]];
        const Vec2& b = result.vertices[result.triangles[i + 1]];
        const Vec2& c = result.vertices[result.triangles[i + 2]];
        if (triangleArea2(a, b, c) < 0)
            std::swap(result.triangles[i + 1], result.triangles[i + 2]);
    }
    return result;
}

Triangulation triangulate(const Poly& poly) {
    ClipPolygon polygon;
    polygon.add(poly, false);
    return triangulate(polygon);
}
