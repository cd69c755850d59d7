#include "typology/town/StreetCutting.h"

#include <cmath>

namespace {

using namespace landlimit;

// A cut ends only where it meets the outline within about 37 degrees of head-on.
constexpr float kHeadOnCosine = 0.8f;
// Parameter margin of the street-step crossing test: touching counts as crossing.
constexpr float kCrossMargin = 0.0001f;
// Tries per street step before the whole street is given up.
constexpr int kStepTries = 8;
// Spacing of the points that densify a straight cut (metres).
constexpr float kCutStep = 20.0f;
// Width given to the points that densify a winding street (metres).
constexpr float kStreetJitterWidth = 5.0f;

Vec2 unit(const Vec2& v) {
    const float len = v.length();
    return len > 0.0f ? v * (1.0f / len) : Vec2{};
}

// Normal of the edge direction (dx, dy) that points into a polygon of the
// system's orientation.
Vec2 inwardNormal(const Vec2& d) { return {d.y, -d.x}; }

// One draw: anchor r of the piece, r uniform in [0, anchors).
int drawAnchor(const LandPoly& piece, int anchors, RandomGenerator& random) {
    return piece.anchorIndex(static_cast<int>(random.uniform() * anchors));
}

bool isAnchor(const LandPoly& polygon, int k) { return (polygon.points[k].limit & kAnchor) != 0; }

// Index of the edge that the ray from s along d meets first (nearest hit
// strictly ahead of s), or -1.
int firstHitEdge(const LandPoly& polygon, const Vec2& s, const Vec2& d) {
    const Segment ray{s.x, s.y, s.x + d.x, s.y + d.y, 0};
    int hit = -1;
    float best = 0.0f;
    for (int k = 0; k < polygon.count(); ++k) {
        Vec2 p;
        const int code = intersect(ray, polygon.edge(k), p);
        if (code != 2 && code != 3)
            continue;
        const Vec2 along = p - s;
        if (along.dot(d) <= 0.0f)
            continue;
        const float distance2 = along.dot(along);
        if (hit < 0 || distance2 < best) {
            hit = k;
            best = distance2;
        }
    }
    return hit;
}

// The nearest anchors around hit edge h: a searching backwards from point h
// (not reaching h+1), b forwards from point h+1 (not reaching h); -1 for none.
void anchorsAround(const LandPoly& polygon, int h, int& a, int& b) {
    const int n = polygon.count();
    const int after = (h + 1) % n;
    a = -1;
    for (int c = h; c != after; c = (c - 1 + n) % n)
        if (isAnchor(polygon, c)) {
            a = c;
            break;
        }
    b = -1;
    for (int c = after; c != h; c = (c + 1) % n)
        if (isAnchor(polygon, c)) {
            b = c;
            break;
        }
}

// Outward normal (-dy, dx) of edge c, as long as the edge.
Vec2 edgeNormal(const LandPoly& polygon, int c) {
    const Vec2 d = polygon.edge(c).direction();
    return {-d.y, d.x};
}

// The street-step test: not parallel, and both parameters strictly inside
// (-0.0001, 1.0001), so that touching an edge also counts.
bool stepCrosses(const Segment& s, const Segment& e) {
    const Vec2 u = s.direction();
    const Vec2 v = e.direction();
    const float cross = u.cross(v);
    if (cross * cross < tolerance::kParallel)
        return false;
    const Vec2 w = e.start() - s.start();
    const float ts = w.cross(v) / cross;
    const float te = w.cross(u) / cross;
    return ts > -kCrossMargin && ts < 1.0f + kCrossMargin && te > -kCrossMargin && te < 1.0f + kCrossMargin;
}

// Whether s crosses any edge of the polygon, skipping the two edges that meet
// at point excluded (none for -1).
bool crossesEdgeList(const Segment& s, const LandPoly& polygon, int excluded) {
    const int n = polygon.count();
    const int before = excluded == 0 ? n - 1 : excluded - 1;
    for (int k = 0; k < n; ++k) {
        if (excluded >= 0 && (k == excluded || k == before))
            continue;
        if (stepCrosses(s, polygon.edge(k)))
            return true;
    }
    return false;
}

Point makePoint(const Vec2& p, uint8_t limit) { return Point{p.x, p.y, limit}; }

}  // namespace

Stub startStub(const LandPoly& polygon, float area, int i, RandomGenerator& random) {
    const float scale = lengthScale(area);
    const Vec2 s = polygon.at(i);
    const Vec2 normal = unit(inwardNormal(polygon.edge(i).direction()));
    const float length = static_cast<float>(random.range(scale * 0.5f, scale));
    return {s, s + normal * length, polygon.points[i].limit, polygon.widths[i]};
}

int findStreetEnd(const Stub& stub, const LandPoly& polygon, float winding, RandomGenerator& random) {
    const float turn = static_cast<float>(random.range(-winding, winding));
    const Vec2 heading = stub.direction();
    const float angle = std::atan2(heading.y, heading.x) + turn;
    const Vec2 d{std::cos(angle), std::sin(angle)};
    const int h = firstHitEdge(polygon, stub.start, d);
    if (h < 0)
        return -1;
    int a, b;
    anchorsAround(polygon, h, a, b);
    if (b < 0)
        return a;
    if (a < 0)
        return b;
    return edgeNormal(polygon, a).dot(d) < edgeNormal(polygon, b).dot(d) ? b : a;
}

LandPoly growStreet(const LandPoly& polygon, float area, float areaLimit, float winding, const Stub& stub1,
                    const Stub& stub2, int i, int j, RandomGenerator& random) {
    const float scale = lengthScale(area);
    const float closeEnough = 2.0f * scale;
    if ((stub2.end - stub1.end).length() < closeEnough)
        return {};
    int budget = static_cast<int>(std::ceil(area / areaLimit));
    if (crossesEdgeList(stub1.segment(), polygon, i) || crossesEdgeList(stub2.segment(), polygon, j))
        return {};

    // Aim beyond stub2's end, along stub2, so the street meets it from outside.
    const Vec2 aim = stub2.end + (stub2.end - stub2.start);
    for (;;) {
        LandPoly street;
        street.append(makePoint(stub1.start, kRoadOut), stub1.width);
        street.append(makePoint(stub1.end, kRoadOut), stub1.width);
        Vec2 q = stub1.end;
        bool arrived = false;
        for (;;) {
            if ((stub2.end - q).length() < closeEnough) {
                street.append(makePoint(stub2.end, kRoadOut), stub1.width);
                arrived = true;
                break;
            }
            bool stepped = false;
            for (int t = 0; t < kStepTries && !stepped; ++t) {
                const Vec2 toAim = aim - q;
                const float theta = std::atan2(toAim.y, toAim.x) + static_cast<float>(random.range(-winding, winding));
                const float length = static_cast<float>(random.range(scale * 0.5f, scale));
                const Vec2 next = q + Vec2{std::cos(theta), std::sin(theta)} * length;
                if (!crossesEdgeList({q.x, q.y, next.x, next.y, 0}, polygon, -1)) {
                    street.append(makePoint(next, kRoadOut), stub1.width);
                    q = next;
                    stepped = true;
                }
            }
            if (!stepped)
                break;
        }
        if (arrived) {
            street.append(makePoint(stub2.start, kCorner | kRoadOut), stub2.width);
            const float step = static_cast<float>(random.range(30.0, 50.0));
            jitterEdges(street, step, kStreetJitterWidth, false, random);
            street.points.front().limit |= kCorner;
            return street;
        }
        if (--budget <= 0)
            return {};
    }
}

Stub startDirection(const LandPoly& polygon, int i, float winding, RandomGenerator& random) {
    const Vec2 s = polygon.at(i);
    const Vec2 normal = inwardNormal(polygon.edge(i).direction());
    const float angle = std::atan2(normal.y, normal.x) + static_cast<float>(random.range(-winding, winding));
    const Vec2 d{std::cos(angle), std::sin(angle)};
    return {s, s + d, polygon.points[i].limit, polygon.widths[i]};
}

int findCrossingVertex(const Stub& stub, const LandPoly& polygon) {
    const Vec2 d = stub.direction();
    const int h = firstHitEdge(polygon, stub.start, d);
    if (h < 0)
        return -1;
    int a, b;
    anchorsAround(polygon, h, a, b);
    if (b < 0)
        return a;
    if (a < 0)
        return b;
    const Vec2 ud = unit(d);
    const float ca = unit(polygon.at(a) - stub.start).dot(ud);
    const float cb = unit(polygon.at(b) - stub.start).dot(ud);
    const int c = cb > ca ? b : a;
    if ((c == b ? cb : ca) < kHeadOnCosine)
        return -1;
    const Vec2 normal = edgeNormal(polygon, c);
    const float length = normal.length();
    // A zero-length edge has no direction to meet head-on.
    if (length <= 0.0f || normal.dot(ud) / length < kHeadOnCosine)
        return -1;
    return c;
}

bool crossesOutline(const LandPoly& polygon, int i, int j) {
    const int n = polygon.count();
    const Vec2 a = polygon.at(i), b = polygon.at(j);
    const Segment cut{a.x, a.y, b.x, b.y, 0};
    const int beforeI = (i - 1 + n) % n, beforeJ = (j - 1 + n) % n;
    for (int k = 0; k < n; ++k) {
        if (k == i || k == beforeI || k == j || k == beforeJ)
            continue;
        if (segmentsIntersect(cut, polygon.edge(k)))
            return true;
    }
    return false;
}

std::optional<WindingStreet> findWindingStreet(const LandPoly& piece, float area, float areaLimit, float winding,
                                               RandomGenerator& random) {
    const int anchors = piece.anchorCount();
    const int attempts = static_cast<int>(std::ceil(area / areaLimit)) + 1;
    int tries = 0;
    int i = drawAnchor(piece, anchors, random);
    for (;;) {
        Stub stub1 = startStub(piece, area, i, random);
        stub1.width = piece.widths[i];
        const int j = findStreetEnd(stub1, piece, winding, random);
        if (j != -1 && j != i) {
            Stub stub2 = startStub(piece, area, j, random);
            stub2.width = piece.widths[j];
            LandPoly street = growStreet(piece, area, areaLimit, winding, stub1, stub2, i, j, random);
            if (!street.empty())
                return WindingStreet{i, j, std::move(street)};
        }
        ++tries;
        i = drawAnchor(piece, anchors, random);
        if (tries >= attempts)
            return std::nullopt;
    }
}

std::optional<StraightCut> findStraightCut(const LandPoly& piece, float winding, int limit,
                                           RandomGenerator& random) {
    const int anchors = piece.anchorCount();
    int tries = 0;
    int r = static_cast<int>(random.uniform() * anchors);
    if (limit <= 0)
        return std::nullopt;
    for (;;) {
        const int i = piece.anchorIndex(r);
        Stub seg = startDirection(piece, i, winding, random);
        const int j = findCrossingVertex(seg, piece);
        if (j != -1 && j != i && !crossesOutline(piece, i, j)) {
            seg.end = piece.at(j);
            return StraightCut{i, j, seg, tries};
        }
        ++tries;
        r = static_cast<int>(random.uniform() * anchors);
        if (tries >= limit)
            return std::nullopt;
    }
}

LandPoly makeCutLine(DescPolyLand& owner, const Stub& seg, float width, GraphNode* startNode, GraphNode* endNode,
                     RandomGenerator& random) {
    const bool street = seg.limit == kStreetCut;
    const uint8_t first = street ? kRoadOut : seg.limit;
    LandPoly line;
    line.append(makePoint(seg.start, first), width);
    line.append(makePoint(seg.end, first | kCorner), width);
    jitterEdges(line, kCutStep, width, false, random);
    line.points.front().limit |= kCorner;
    linkCutLine(owner.graph, owner, line.points, line.nodes, startNode, endNode, street);
    return line;
}

namespace {
// The outline from point `from` (turned into a plain corner) up to, not
// including, point `to`, with widths and nodes.
LandPoly outlineBetween(const LandPoly& polygon, int from, int to) {
    const int n = polygon.count();
    LandPoly piece;
    Point corner = polygon.points[from];
    corner.limit = (corner.limit & ~kAnchor) | kCorner;
    piece.append(corner, polygon.widths[from], polygon.nodes[from]);
    for (int k = (from + 1) % n; k != to; k = (k + 1) % n)
        piece.append(polygon.points[k], polygon.widths[k], polygon.nodes[k]);
    return piece;
}
}  // namespace

LandPoly splitPieceA(const LandPoly& polygon, int i, int j, const LandPoly& line) {
    LandPoly piece = outlineBetween(polygon, i, j);
    for (int k = line.count() - 1; k >= 1; --k)
        piece.append(line.points[k], line.widths[k], line.nodes[k]);
    return piece;
}

LandPoly splitPieceB(const LandPoly& polygon, int i, int j, const LandPoly& line) {
    LandPoly piece = outlineBetween(polygon, j, i);
    for (int k = 0; k <= line.count() - 2; ++k)
        piece.append(line.points[k], line.widths[k], line.nodes[k]);
    return piece;
}

void markStreetSides(LandPoly& line) {
    for (Point& p : line.points)
        p.limit = (p.limit & ~kRoadOut) | kRoadIn;
}

std::pair<LandPoly, LandPoly> splitAlongStreet(const LandPoly& polygon, int i, int j, LandPoly& line,
                                               bool markSides) {
    LandPoly a = splitPieceA(polygon, i, j, line);
    if (markSides)
        markStreetSides(line);
    LandPoly b = splitPieceB(polygon, i, j, line);
    return {std::move(a), std::move(b)};
}
