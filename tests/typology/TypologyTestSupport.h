#pragma once
// Fixtures shared by the typology tests: hand-drawn shapes and ways to look
// at what a generation made. Header only.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/Desc.h"
#include "core/Material.h"
#include "core/Poly.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypTowIrregular.h"

// The view the tests refine under.
inline const Matrix44 kModelView = Matrix44::identity();

// Length along a of the part of b lying on a's line (0 when not collinear):
// how much of one wall line another builds over again.
inline float overlap(const Segment& a, const Segment& b) {
    const float length = a.length();
    if (!(length > 0.0f) || std::fabs(a.signedDistance(b.start())) > 1e-3f ||
        std::fabs(a.signedDistance(b.end())) > 1e-3f)
        return 0.0f;
    const Vec2 u = a.direction() * (1.0f / length);
    float s0 = (b.start() - a.start()).dot(u), s1 = (b.end() - a.start()).dot(u);
    if (s0 > s1)
        std::swap(s0, s1);
    return std::max(0.0f, std::min(s1, length) - std::max(s0, 0.0f));
}

// A w x h rectangle in the system's orientation (positive area2), every edge
// with the given limit.
inline Poly rectangle(float w, float h, uint8_t limit = 0) {
    return Poly({{0, 0, limit}, {0, h, limit}, {w, h, limit}, {w, 0, limit}});
}

// The children of d that are a T, in child order (not owned).
template <class T>
std::vector<T*> childrenOf(const Desc& d) {
    std::vector<T*> out;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<T*>(d.child(i)))
            out.push_back(c);
    return out;
}

// The summed area of d's polygon children.
inline float childArea(const Desc& d) {
    float sum = 0;
    for (auto* c : childrenOf<DescPoly>(d))
        sum += c->poly.area();
    return sum;
}

// How many of p's points carry the given edge limit.
inline int countLimit(const Poly& p, uint8_t limit) {
    int n = 0;
    for (const Point& q : p.points())
        n += q.limit == limit;
    return n;
}

// The name the material is bound by, or null when unbound.
inline const char* nameOf(const Material& m) { return m.record ? m.record->name.c_str() : nullptr; }

// True when p stands exactly on one of the outline's points (x and y only).
inline bool onOutline(const Poly& outline, const Point& p) {
    for (const Point& q : outline.points())
        if (q.x == p.x && q.y == p.y)
            return true;
    return false;
}

// What a child is made of, for comparing one generation with the next.
struct ChildPrint {
    std::string className;
    uint32_t seed;
    std::vector<Point> points;
    bool operator==(const ChildPrint& o) const {
        if (className != o.className || seed != o.seed || points.size() != o.points.size())
            return false;
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].x != o.points[i].x || points[i].y != o.points[i].y || points[i].limit != o.points[i].limit)
                return false;
        return true;
    }
};

// The class, seed and (for polygon descriptions) points of every child of d.
inline std::vector<ChildPrint> printChildren(const Desc& d) {
    std::vector<ChildPrint> out;
    for (int i = 0; i < d.childCount(); ++i) {
        const Drawable* c = d.child(i);
        ChildPrint p{c->className().name, c->seed, {}};
        if (auto* poly = dynamic_cast<const DescPoly*>(c))
            p.points = poly->poly.points();
        out.push_back(std::move(p));
    }
    return out;
}

// The world's town at the municipality's centre, where the population is
// densest: the root and the municipality are refined on the way down and the
// town into its quarters. Null when no town holds the centre.
inline TypTowIrregular* centralTown(Desc& root) {
    root.refine(kModelView);
    auto* mun = root.childCount() > 0 ? dynamic_cast<TypMunIrregular*>(root.child(0)) : nullptr;
    if (!mun)
        return nullptr;
    mun->refine(kModelView);
    TypTowIrregular* central = nullptr;
    for (auto* town : childrenOf<TypTowIrregular>(*mun)) {
        const Vector origin = town->transform.translationPart();
        if (town->poly.containsPoint(mun->centre.x - origin.x, mun->centre.z - origin.z))
            central = town;
    }
    if (central)
        central->refine(kModelView);
    return central;
}

// Quarter `index` of the central town; null past its last quarter.
inline TypQuaIrregular* centralQuarter(Desc& root, size_t index) {
    TypTowIrregular* town = centralTown(root);
    if (!town)
        return nullptr;
    const auto quarters = childrenOf<TypQuaIrregular>(*town);
    return index < quarters.size() ? quarters[index] : nullptr;
}

// The court buildings of a quarter, with the quarter, its blocks and its
// estates refined on the way down.
inline std::vector<TypBuiCourt*> refinedCourts(Desc& quarter) {
    std::vector<TypBuiCourt*> courts;
    quarter.refine(kModelView);
    for (auto* block : childrenOf<TypBloIrregular>(quarter)) {
        block->refine(kModelView);
        for (auto* estate : childrenOf<TypEst>(*block)) {
            estate->refine(kModelView);
            for (auto* court : childrenOf<TypBuiCourt>(*estate))
                courts.push_back(court);
        }
    }
    return courts;
}

// Grows d and everything below it down to the leaves.
inline void growAll(Desc& d) {
    d.refine(kModelView);
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            growAll(*c);
}

// Class, seed and points of every description below d, depth first.
inline void printSubtree(const Desc& d, std::vector<ChildPrint>& out) {
    for (const ChildPrint& p : printChildren(d))
        out.push_back(p);
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            printSubtree(*c, out);
}
