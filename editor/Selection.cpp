#include "editor/Selection.h"

#include <algorithm>
#include <cstdio>

#include "core/Desc.h"
#include "renderer/MeshCollector.h"

void Selection::select(Desc* desc) {
    chain_.clear();
    outline_.clear();
    for (const Desc* d = desc; d; d = d->parent)
        chain_.push_back(d);
    std::reverse(chain_.begin(), chain_.end());
    remakeOutline();
}

void Selection::clear() {
    chain_.clear();
    outline_.clear();
}

bool Selection::validate(const Desc* root) {
    if (chain_.empty())
        return false;
    if (chain_.front() != root) {
        clear();
        return false;
    }
    // Each link is looked up among the live children of the one above it,
    // which has itself just been found alive.
    for (size_t i = 1; i < chain_.size(); ++i) {
        const Desc* above = chain_[i - 1];
        bool found = false;
        for (int c = 0; c < above->childCount() && !found; ++c)
            found = above->child(c) == chain_[i];
        if (!found) {
            clear();
            return false;
        }
    }
    return true;
}

std::string Selection::statusText() const {
    const Desc* d = get();
    if (!d)
        return {};
    char text[160];
    std::snprintf(text, sizeof text, "Selected: %s, seed %u", d->className().name, d->seed);
    return text;
}

namespace {
void addEdge(std::vector<Vector>& lines, const Vector& a, const Vector& b) {
    lines.push_back(a);
    lines.push_back(b);
}

// The rings of a prism over outline from level up to level + height, and its uprights.
void addPrismOutline(std::vector<Vector>& lines, const Poly& outline, float level, float height,
                     const Matrix44& frame) {
    const int n = outline.count();
    for (int i = 0; i < n; ++i) {
        const Point& p = outline[i];
        const Point& q = outline[(i + 1) % n];
        const Vector p0 = frame.transformPoint({p.x, level, p.y}), p1 = frame.transformPoint({p.x, level + height, p.y});
        const Vector q0 = frame.transformPoint({q.x, level, q.y}), q1 = frame.transformPoint({q.x, level + height, q.y});
        addEdge(lines, p0, q0);
        addEdge(lines, p1, q1);
        addEdge(lines, p0, p1);
    }
}
}  // namespace

void Selection::remakeOutline() {
    outline_.clear();
    Desc* d = get();
    if (!d)
        return;
    const Matrix44 frame = worldFrameOf(*d);
    if (auto* poly = dynamic_cast<DescPoly*>(d); poly && poly->poly.count() >= 2) {
        addPrismOutline(outline_, poly->poly, poly->extrusion.level, poly->extrusion.height, frame);
        return;
    }
    if (auto* line = dynamic_cast<DescLine*>(d)) {
        addPrismOutline(outline_, line->line.outline(), line->extrusion.level, line->extrusion.height, frame);
        return;
    }
    // Any other description: the box around its own shape, or around its sphere.
    MeshCollector own;
    own.collectOwnShape(*d, frame);
    Vector lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const auto& piece : own.pieces)
        for (const Vertex& v : piece.vertices) {
            lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
    if (lo.x > hi.x) {
        const Vector c = frame.transformPoint(d->centre);
        lo = c - Vector(d->radius, d->radius, d->radius);
        hi = c + Vector(d->radius, d->radius, d->radius);
    }
    Poly box;
    box.addPoint({lo.x, lo.z});
    box.addPoint({hi.x, lo.z});
    box.addPoint({hi.x, hi.z});
    box.addPoint({lo.x, hi.z});
    addPrismOutline(outline_, box, lo.y, hi.y - lo.y, Matrix44::identity());
}
