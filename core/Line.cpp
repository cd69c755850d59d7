#include "core/Line.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

Point makePoint(const Vec2& v, uint8_t limit) {
    Point p;
    p.x = v.x;
    p.y = v.y;
    p.limit = limit;
    return p;
}

float heading(const Segment& s) {
    const Vec2 d = s.direction();
    return std::atan2(d.y, d.x);
}

float wrapAngle(float a) {
    if (!std::isfinite(a))
        return 0;
    a = std::fmod(a, kTwoPi);
    // fmod keeps the sign; rounding may also land exactly on 2 pi.
    while (a < 0)
        a += kTwoPi;
    while (a >= kTwoPi)
        a -= kTwoPi;
    return a;
}

// The crossing that other makes on line, if their segments meet.
bool crossingOf(const Line& line, const Line& other, Crossing& c) {
    const Segment self = line.segment(), them = other.segment();
    Vec2 x;
    if (intersect(self, them, x) != 3)
        return false;
    float otherHeading = heading(them);
    bool otherEnds = false;
    if (coincident(x, them.end())) {
        // Seen from the meeting point the other line runs back towards its start.
        otherHeading += kPi;
        otherEnds = true;
    } else if (coincident(x, them.start())) {
        otherEnds = true;
    }
    if (coincident(x, self.start())) {
        c.t = 0;
        c.kind = otherEnds ? 4 : 2;
    } else if (coincident(x, self.end())) {
        c.t = 1;
        if (otherEnds) {
            c.kind = 4;
            otherHeading += kPi;
        } else {
            c.kind = 2;
        }
    } else {
        const float length = line.length();
        c.t = length > 0 ? (x - self.start()).length() / length : 0;
        c.kind = otherEnds ? 1 : 3;
    }
    c.beforeWidth = c.afterWidth = other.width;
    c.beforeAngle = c.afterAngle = wrapAngle(otherHeading - heading(self));
    c.limit = other.limit;
    return true;
}

}  // namespace

Poly Line::outline() const {
    const Segment s = segment();
    const Segment left = s.offset(width * 0.5f), right = s.offset(-width * 0.5f);
    // Left side forwards, right side back: the positive orientation.
    Poly p;
    p.addPoint(makePoint(left.start(), limit));
    p.addPoint(makePoint(left.end(), limit));
    p.addPoint(makePoint(right.end(), limit));
    p.addPoint(makePoint(right.start(), limit));
    return p;
}

void Line::addCrossing(const Crossing& c) {
    for (Crossing& existing : crossings)
        if (std::fabs(existing.t - c.t) < tolerance::kSnap) {
            if (c.beforeAngle < existing.beforeAngle) {
                existing.beforeAngle = c.beforeAngle;
                existing.beforeWidth = c.beforeWidth;
            }
            if (c.afterAngle > existing.afterAngle) {
                existing.afterAngle = c.afterAngle;
                existing.afterWidth = c.afterWidth;
            }
            return;
        }
    const auto at = std::upper_bound(crossings.begin(), crossings.end(), c.t,
                                     [](float t, const Crossing& e) { return t < e.t; });
    crossings.insert(at, c);
}

Line Line::subLine(float t0, float t1) const {
    const Vec2 a = t0 <= 0 ? Vec2(x0, y0) : pointAt(t0);
    const Vec2 b = t1 >= 1 ? Vec2(x1, y1) : pointAt(t1);
    Line result(a.x, a.y, b.x, b.y, width, limit);
    for (const Crossing& c : crossings)
        if (c.t == t0) {
            Crossing copy = c;
            copy.t = 0;
            result.crossings.push_back(copy);
        }
    for (const Crossing& c : crossings)
        if (c.t == t1 && t1 != t0) {
            Crossing copy = c;
            copy.t = 1;
            result.crossings.push_back(copy);
        }
    return result;
}

void Line::subdivide(float maxLength, uint8_t crossingLimit) {
    if (width == 0 || !(maxLength > 0))
        return;
    const float length = this->length();
    if (!(length > 0))
        return;
    const float usable = length - 2 * width;
    const float pieces = std::trunc(usable / maxLength) + 1;
    // Too few to cut, or too many to be meant.
    if (!(pieces >= 1) || pieces > 1e6f)
        return;
    const int n = static_cast<int>(pieces);
    const float s = usable / n;
    if (!(s >= width))
        return;
    for (int k = 0; k < n; ++k) {
        Crossing c;
        c.t = (s / 2 + width) / length + k * s / length;
        c.beforeWidth = c.afterWidth = s - width;
        c.beforeAngle = c.afterAngle = kPi / 2;
        c.limit = crossingLimit;
        c.kind = 2;
        addCrossing(c);
    }
}

void Line::cross(Line& other) {
    Crossing c;
    if (crossingOf(*this, other, c))
        addCrossing(c);
    if (crossingOf(other, *this, c))
        other.addCrossing(c);
}
