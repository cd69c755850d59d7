#include "core/Poly.h"

#include <algorithm>
#include <cmath>

#include "core/Assert.h"

// Intermediate sums and crossings are worked out in double: polygons sit up
// to a few kilometres from the origin, where a float sum of the area terms
// would already be off by more than the degeneracy tolerance. Results are
// stored back as floats, so every machine still gets the same numbers.

namespace {

Point makePoint(const Vec2& v, uint8_t limit) {
    Point p;
    p.x = v.x;
    p.y = v.y;
    p.limit = limit;
    return p;
}

// Unit vector in double; a zero vector stays zero.
void unit(double dx, double dy, double& ux, double& uy) {
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
        ux = dx / len;
        uy = dy / len;
    } else {
        ux = uy = 0;
    }
}

// Parameters of the crossing of the two segments' lines. False when either
// segment has no length or the unit directions are parallel.
bool lineParameters(const Segment& a, const Segment& b, double& ta, double& tb) {
    const double dax = double(a.x1) - a.x0, day = double(a.y1) - a.y0;
    const double dbx = double(b.x1) - b.x0, dby = double(b.y1) - b.y0;
    const double la = std::sqrt(dax * dax + day * day);
    const double lb = std::sqrt(dbx * dbx + dby * dby);
    if (la == 0 || lb == 0)
        return false;
    const double cross = dax * dby - day * dbx;
    const double unitCross = cross / (la * lb);
    if (!(unitCross * unitCross >= tolerance::kParallel))  // NaN counts as parallel
        return false;
    const double ex = double(b.x0) - a.x0, ey = double(b.y0) - a.y0;
    ta = (ex * dby - ey * dbx) / cross;
    tb = (ex * day - ey * dax) / cross;
    return true;
}

bool sharedEndPoint(const Segment& a, const Segment& b, Vec2& point) {
    const Vec2 a0 = a.start(), a1 = a.end(), b0 = b.start(), b1 = b.end();
    if (coincident(a0, b0) || coincident(a0, b1)) {
        point = a0;
        return true;
    }
    if (coincident(a1, b0) || coincident(a1, b1)) {
        point = a1;
        return true;
    }
    return false;
}

// Turn at a corner from the incoming to the outgoing direction, positive
// where a positively oriented polygon is convex.
double turn(double inX, double inY, double outX, double outY) {
    return outX * inY - outY * inX;
}

}  // namespace

bool coincident(const Vec2& a, const Vec2& b) {
    const float dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx <= tolerance::kCoincident && dy * dy <= tolerance::kCoincident;
}

bool Point::coincides(const Point& o) const { return coincident(vec(), o.vec()); }

// --- segments -------------------------------------------------------------

Vec2 Segment::pointAt(float t) const {
    return {x0 + t * (x1 - x0), y0 + t * (y1 - y0)};
}

Segment Segment::offset(float d) const {
    const float len = length();
    if (len == 0 || d == 0)
        return *this;
    const float nx = -(y1 - y0) / len * d, ny = (x1 - x0) / len * d;
    Segment s = *this;
    s.x0 += nx;
    s.y0 += ny;
    s.x1 += nx;
    s.y1 += ny;
    return s;
}

float Segment::signedDistance(const Vec2& p) const {
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    const double px = double(p.x) - x0, py = double(p.y) - y0;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0)
        return static_cast<float>(std::sqrt(px * px + py * py));
    return static_cast<float>((py * dx - px * dy) / len);
}

int intersect(const Segment& a, const Segment& b, Vec2& out) {
    // A shared end point wins, even for collinear segments.
    if (sharedEndPoint(a, b, out))
        return 3;
    double ta = 0, tb = 0;
    if (!lineParameters(a, b, ta, tb))
        return kIntersectParallel;
    // a's ends first, then b's ends override: a point on b's end stays exactly on it.
    bool snapped = false;
    if (std::fabs(ta) <= tolerance::kSnap) {
        ta = 0;
        out = a.start();
        snapped = true;
    } else if (std::fabs(ta - 1) <= tolerance::kSnap) {
        ta = 1;
        out = a.end();
        snapped = true;
    }
    if (std::fabs(tb) <= tolerance::kSnap) {
        tb = 0;
        out = b.start();
        snapped = true;
    } else if (std::fabs(tb - 1) <= tolerance::kSnap) {
        tb = 1;
        out = b.end();
        snapped = true;
    }
    if (!snapped) {
        const double ax = a.x0 + ta * (double(a.x1) - a.x0), ay = a.y0 + ta * (double(a.y1) - a.y0);
        const double bx = b.x0 + tb * (double(b.x1) - b.x0), by = b.y0 + tb * (double(b.y1) - b.y0);
        out = {static_cast<float>((ax + bx) * 0.5), static_cast<float>((ay + by) * 0.5)};
    }
    return (ta >= 0 && ta <= 1 ? 1 : 0) + (tb >= 0 && tb <= 1 ? 2 : 0);
}

bool segmentsIntersect(const Segment& a, const Segment& b) {
    Vec2 shared;
    if (sharedEndPoint(a, b, shared))
        return true;
    double ta = 0, tb = 0;
    if (!lineParameters(a, b, ta, tb))
        return false;
    const double lo = -tolerance::kSnap, hi = 1.0 + tolerance::kSnap;
    return ta > lo && ta < hi && tb > lo && tb < hi;
}

// --- polygon --------------------------------------------------------------

float Poly::perimeter() const {
    double sum = 0;
    for (int i = 0; i < count(); ++i)
        sum += edge(i).length();
    return static_cast<float>(sum);
}

void Poly::orient() {
    std::vector<Point> source = points_;
    if (area2() < tolerance::kDegenerate)
        std::reverse(source.begin(), source.end());
    points_.clear();
    points_.reserve(source.size());
    for (const Point& p : source)
        addPoint(p);
}

void Poly::addPoint(const Point& p) {
    if (!points_.empty() && p.coincides(points_.front())) {
        points_.front().limit = p.limit;
        return;
    }
    if (!points_.empty() && p.coincides(points_.back())) {
        points_.back().limit = p.limit;
        return;
    }
    // Capacity grows in steps of four points.
    if (points_.size() == points_.capacity())
        points_.reserve(points_.size() + 4);
    points_.push_back(p);
}

void Poly::removeAt(int i) {
    if (i < 0 || i >= count())
        return;
    points_.erase(points_.begin() + i);
}

void Poly::rotate(int n) {
    const int c = count();
    if (c == 0)
        return;
    n = ((n % c) + c) % c;
    std::rotate(points_.begin(), points_.begin() + n, points_.end());
}

Segment Poly::edge(int i) const {
    const int c = count();
    if (c == 0)
        return {};
    i = ((i % c) + c) % c;
    const Point& p = points_[i];
    const Point& q = points_[i + 1 < c ? i + 1 : 0];
    Segment s;
    s.x0 = p.x;
    s.y0 = p.y;
    s.x1 = q.x;
    s.y1 = q.y;
    s.limit = p.limit;
    return s;
}

std::vector<Segment> Poly::edges() const {
    std::vector<Segment> result;
    result.reserve(points_.size());
    for (int i = 0; i < count(); ++i)
        result.push_back(edge(i));
    return result;
}

bool Poly::containsPoint(float x, float y) const {
    const int n = count();
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const Point& a = points_[j];
        const Point& b = points_[i];
        if ((a.y > y) == (b.y > y))
            continue;
        const double cx = a.x + (double(y) - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
        if (cx >= x)
            inside = !inside;
    }
    return inside;
}

namespace {

// True when two edges that do not share a corner intersect (the first and
// the last edge share point 0).
bool nonAdjacentEdgesIntersect(const std::vector<Segment>& edges) {
    const int n = static_cast<int>(edges.size());
    for (int i = 0; i < n; ++i)
        for (int k = i + 2; k < n; ++k) {
            if (i == 0 && k == n - 1)
                continue;
            if (segmentsIntersect(edges[i], edges[k]))
                return true;
        }
    return false;
}

}  // namespace

bool Poly::isValid(int n) const {
    if (count() < 3 || count() != n)
        return false;
    if (nonAdjacentEdgesIntersect(edges()))
        return false;
    return area2() >= tolerance::kDegenerate;
}

bool Poly::isConvex() const {
    const int n = count();
    if (n < 4)
        return true;
    for (int i = 0; i < n; ++i) {
        const Segment in = edge(i - 1 + n), out = edge(i);
        double ix, iy, ox, oy;
        unit(double(in.x1) - in.x0, double(in.y1) - in.y0, ix, iy);
        unit(double(out.x1) - out.x0, double(out.y1) - out.y0, ox, oy);
        if (!(turn(ix, iy, ox, oy) >= 0.0001))
            return false;
    }
    return true;
}

bool Poly::isConvexLoose() const {
    const int n = count();
    if (n < 5)
        return true;
    for (int i = 0; i < n; ++i) {
        const Segment in = edge(i - 1 + n), out = edge(i);
        const double t = turn(double(in.x1) - in.x0, double(in.y1) - in.y0,
                              double(out.x1) - out.x0, double(out.y1) - out.y0);
        if (!(t >= -0.0001))
            return false;
    }
    return true;
}

bool Poly::simplify(float minLength) {
    bool removed = false;
    // Short edges: dropping point i joins its incoming edge to point i + 1.
    for (int i = 0; i < count();) {
        if (edge(i).length() < minLength) {
            removeAt(i);
            removed = true;
        } else {
            ++i;
        }
    }
    // Straight or folded-back corners.
    for (int i = 0; i < count();) {
        const int n = count();
        const Segment in = edge(i - 1 + n), out = edge(i);
        double ix, iy, ox, oy;
        unit(double(in.x1) - in.x0, double(in.y1) - in.y0, ix, iy);
        unit(double(out.x1) - out.x0, double(out.y1) - out.y0, ox, oy);
        if (std::fabs(ix * ox + iy * oy) >= 0.9999) {
            removeAt(i);
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

void Poly::moveEdge(int i, float d) {
    const int n = count();
    if (n < 2)
        return;
    i = ((i % n) + n) % n;
    const Segment shifted = edge(i).offset(d);
    const Segment previous = edge(i - 1 + n), next = edge(i + 1);
    Vec2 start = shifted.start(), end = shifted.end();
    Vec2 hit;
    if (intersect(shifted, previous, hit) != kIntersectParallel)
        start = hit;
    if (intersect(shifted, next, hit) != kIntersectParallel)
        end = hit;
    Point& a = points_[i];
    Point& b = points_[i + 1 < n ? i + 1 : 0];
    a.x = start.x;
    a.y = start.y;
    b.x = end.x;
    b.y = end.y;
}

Poly Poly::inset(const float* distances) const {
    const int n = count();
    std::vector<Segment> shifted(n);
    for (int i = 0; i < n; ++i)
        shifted[i] = edge(i).offset(distances ? distances[i] : 0.0f);
    Poly result;
    for (int i = 0; i < n; ++i) {
        const Segment& previous = shifted[(i + n - 1) % n];
        const Segment& current = shifted[i];
        const uint8_t limit = points_[i].limit;
        Vec2 corner;
        if (intersect(previous, current, corner) == kIntersectParallel) {
            // No corner to meet at: keep both ends and join them with a step.
            result.addPoint(makePoint(previous.end(), limit));
            result.addPoint(makePoint(current.start(), limit));
        } else {
            result.addPoint(makePoint(corner, limit));
        }
    }
    return result;
}

Poly Poly::insetUniform(float d) const {
    const std::vector<float> distances(points_.size(), d);
    return inset(distances.data());
}

bool Poly::canInset(const float* distances) const {
    const Poly result = inset(distances);
    if (result.count() != count())
        return false;
    const std::vector<Segment> shifted = result.edges();
    for (int i = 0; i < count(); ++i) {
        const Vec2 from = edge(i).direction(), to = shifted[i].direction();
        if (double(from.x) * to.x + double(from.y) * to.y < 0)
            return false;
    }
    return !nonAdjacentEdgesIntersect(shifted);
}

namespace {

// Whether segment s lies on reference edge r: both of its ends within
// reach of r. The reach is the coincidence distance plus a few float steps at
// the coordinates' magnitude, since clipped points come back rounded.
bool liesOn(const Segment& s, const Segment& r) {
    const double rx = double(r.x1) - r.x0, ry = double(r.y1) - r.y0;
    const double len2 = rx * rx + ry * ry;
    if (len2 == 0)
        return false;
    const double magnitude = std::max({std::fabs(r.x0), std::fabs(r.y0), std::fabs(r.x1), std::fabs(r.y1),
                                       std::fabs(s.x0), std::fabs(s.y0), std::fabs(s.x1), std::fabs(s.y1)});
    const double reach = std::sqrt(2.0 * tolerance::kCoincident) + 4.0 * magnitude * 1.1920929e-7;
    // Box rejection first: most reference edges are far away.
    if (std::max(s.x0, s.x1) < std::min(r.x0, r.x1) - reach || std::min(s.x0, s.x1) > std::max(r.x0, r.x1) + reach ||
        std::max(s.y0, s.y1) < std::min(r.y0, r.y1) - reach || std::min(s.y0, s.y1) > std::max(r.y0, r.y1) + reach)
        return false;
    const double len = std::sqrt(len2);
    const auto near = [&](double px, double py) {
        const double ex = px - r.x0, ey = py - r.y0;
        const double along = (ex * rx + ey * ry) / len;
        const double across = (ey * rx - ex * ry) / len;
        return std::fabs(across) <= reach && along >= -reach && along <= len + reach;
    };
    return near(s.x0, s.y0) && near(s.x1, s.y1);
}

}  // namespace

void Poly::transferLimits(const Poly& reference) {
    const std::vector<Segment> references = reference.edges();
    for (int i = 0; i < count(); ++i) {
        const Segment e = edge(i);
        for (const Segment& r : references)
            if (liesOn(e, r)) {
                points_[i].limit = r.limit;
                break;
            }
    }
}

namespace {

// Appends points first .. last of source (inclusive, wrapping) with the append rule.
void addRange(Poly& target, const Poly& source, int first, int last) {
    const int n = source.count();
    for (int j = first;; ++j) {
        const int k = ((j % n) + n) % n;
        target.addPoint(source[k]);
        if (k == ((last % n) + n) % n)
            break;
    }
}

}  // namespace

int Poly::splitInTwo(Poly& a, Poly& b, uint8_t limitA, uint8_t limitB) const {
    a.clear();
    b.clear();
    const int n = count();
    if (n < 4)
        return 0;

    // 1. Two crossing edges: cut at the crossing.
    for (int i = 0; i < n; ++i) {
        const Segment ei = edge(i);
        for (int k = i - 2; k >= (i == n - 1 ? 1 : 0); --k) {
            Vec2 x;
            if (intersect(ei, edge(k), x) != 3)
                continue;
            a.addPoint(makePoint(x, points_[k].limit));
            addRange(a, *this, k + 1, i);
            b.addPoint(makePoint(x, points_[i].limit));
            addRange(b, *this, i + 1, k);
            a.orient();
            b.orient();
            return 2;
        }
    }

    // 2. A concave corner: cut from it to the first edge after it that the cut line meets.
    for (int i = 0; i < n; ++i) {
        const Segment in = edge(i - 1 + n), out = edge(i);
        double ux, uy, ox, oy;
        unit(double(in.x1) - in.x0, double(in.y1) - in.y0, ux, uy);
        unit(double(out.x1) - out.x0, double(out.y1) - out.y0, ox, oy);
        const double nx = -oy, ny = ox;  // left normal of the outgoing edge
        const double un = ux * nx + uy * ny;
        if (un > 0.0001)
            continue;
        double cx, cy;
        if (un < -0.8) {
            // Sharp corner: carry the incoming edge on.
            cx = ux;
            cy = uy;
        } else {
            // Against the sum of the two edges' left normals: into the corner's inside.
            cx = -(nx - uy);
            cy = -(ny + ux);
        }
        const Point& p = points_[i];
        Segment cut;
        cut.x0 = p.x;
        cut.y0 = p.y;
        cut.x1 = static_cast<float>(p.x + cx);
        cut.y1 = static_cast<float>(p.y + cy);
        // Edge i - 1 ends at the corner itself, so the walk stops before it.
        for (int step = 1; step <= n - 2; ++step) {
            const int k = (i + step) % n;
            const Segment ek = edge(k);
            Vec2 x;
            const int code = intersect(cut, ek, x);
            if (code != 2 && code != 3)
                continue;
            a.addPoint(makePoint(p.vec(), limitA));
            if (!coincident(x, ek.end()))
                a.addPoint(makePoint(x, ek.limit));
            addRange(a, *this, k + 1, i - 1);
            b.addPoint(points_[k]);
            b.addPoint(makePoint(x, limitB));
            addRange(b, *this, i, k - 1);
            return 1;
        }
    }

    // 3. Cut off the corner whose neighbours are closest to each other.
    int best = 0;
    float bestDistance = 0;
    for (int i = 0; i < n; ++i) {
        const Point& before = points_[(i + n - 1) % n];
        const Point& after = points_[(i + 1) % n];
        const float d = (after.vec() - before.vec()).length();
        if (i == 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    const int before = (best + n - 1) % n, after = (best + 1) % n;
    b.addPoint(points_[before]);
    b.addPoint(points_[best]);
    Point closing = points_[after];
    closing.limit = limitB;
    b.addPoint(closing);
    a = *this;
    // 255 keeps the limits as they are.
    if (limitA != 255)
        a[before].limit = limitA;
    a.removeAt(best);
    return 0;
}

Vec2 Poly::centroid() const {
    if (points_.empty())
        return {};
    double x = 0, y = 0;
    for (const Point& p : points_) {
        x += p.x;
        y += p.y;
    }
    return {static_cast<float>(x / count()), static_cast<float>(y / count())};
}

bool Poly::bounds(float& minX, float& minY, float& maxX, float& maxY) const {
    if (points_.empty())
        return false;
    minX = maxX = points_[0].x;
    minY = maxY = points_[0].y;
    for (const Point& p : points_) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return true;
}

bool Poly::operator==(const Poly& o) const {
    if (count() != o.count())
        return false;
    for (int i = 0; i < count(); ++i) {
        const Point& p = points_[i];
        const Point& q = o.points_[i];
        if (p.x != q.x || p.y != q.y || p.limit != q.limit)
            return false;
    }
    return true;
}

// Twice the oriented area by the trapezoid rule; positive for the
// orientation used throughout.
float Poly::area2() const {
    const int n = count();
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const int next = i + 1 < n ? i + 1 : 0;
        CALLI_ASSERT(next < static_cast<int>(points_.size()));
        const Point& p = points_[i];
        const Point& q = points_[next];
        sum += (double(q.x) - p.x) * (double(p.y) + q.y);
    }
    return static_cast<float>(sum);
}

float Poly::area() const {
    const float a = 0.5f * std::fabs(area2());
    CALLI_ASSERT(a >= 0);
    return a;
}
