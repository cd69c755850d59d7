#include "typology/town/LandPoly.h"

#include <cmath>

LandPoly::LandPoly(const Poly& poly_, const std::vector<float>& widths_, const std::vector<GraphNode*>& nodes_)
    : points(poly_.points()) {
    const size_t n = points.size();
    widths = widths_.size() == n ? widths_ : std::vector<float>(n, 0.0f);
    nodes = nodes_.size() == n ? nodes_ : std::vector<GraphNode*>(n, nullptr);
}

void LandPoly::clear() {
    points.clear();
    widths.clear();
    nodes.clear();
}

void LandPoly::append(const Point& p, float width, GraphNode* node) {
    if (!points.empty() && p.coincides(points.front())) {
        points.front().limit = p.limit;
        return;
    }
    if (points.size() > 1 && p.coincides(points.back())) {
        points.back().limit = p.limit;
        return;
    }
    points.push_back(p);
    widths.push_back(width);
    nodes.push_back(node);
}

void LandPoly::insert(int index, const Point& p, float width, GraphNode* node) {
    points.insert(points.begin() + index, p);
    widths.insert(widths.begin() + index, width);
    nodes.insert(nodes.begin() + index, node);
}

Segment LandPoly::edge(int k) const {
    const Point& a = points[k];
    const Point& b = points[(k + 1) % count()];
    return {a.x, a.y, b.x, b.y, a.limit};
}

Poly LandPoly::poly() const { return Poly(points); }

int LandPoly::anchorCount() const {
    int k = 0;
    for (const Point& p : points)
        if (p.limit & landlimit::kAnchor)
            ++k;
    return k;
}

int LandPoly::anchorIndex(int r) const {
    for (int i = 0; i < count(); ++i)
        if ((points[i].limit & landlimit::kAnchor) && r-- == 0)
            return i;
    return -1;
}

float lengthScale(float area) {
    if (area < 10000.0f)
        return 100.0f;
    if (area > 1000000.0f)
        return 200.0f;
    // Reaches 200 at an area of one square kilometre.
    return 100.0f + (area - 10000.0f) * 0.00010101010f;
}

void jitterEdges(LandPoly& polygon, float step, float width, bool closed, RandomGenerator& random) {
    if (polygon.count() < 2)
        return;
    int i = 0;
    for (;;) {
        const int last = polygon.count() - 1;
        const bool closing = i == last;
        if (i > last || (closing && !closed))
            return;
        const Vec2 start = polygon.at(i);
        const Vec2 end = polygon.at(closing ? 0 : i + 1);
        const float length = (end - start).length();
        const int n = length > 0.0f ? static_cast<int>(std::ceil(length / step)) : 0;
        const uint8_t limit = polygon.points[i].limit | landlimit::kAnchor;
        // Each new point goes right after point i, between it and the point
        // inserted before, at 1 - 1/k of the way: n+1 nearly equal pieces.
        Vec2 follower = end;
        for (int k = n + 1; k >= 2; --k) {
            const float t = 1.0f / static_cast<float>(k);
            const float jittered = t + static_cast<float>(random.range(-0.2f * t, 0.2f * t));
            const Vec2 p = start + (follower - start) * (1.0f - jittered);
            polygon.insert(i + 1, Point{p.x, p.y, limit}, width, nullptr);
            follower = p;
        }
        if (closing)
            return;
        i += n + 1;
    }
}
