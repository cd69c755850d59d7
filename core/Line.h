#pragma once
// A straight piece of a linear element (wall, banister, beam, branch) with a
// width and the crossings where other elements meet it, sorted by t.
#include <cstdint>
#include <vector>

#include "core/Poly.h"

struct Crossing {
    float t = 0;             // 0 at the start, 1 at the end
    float beforeWidth = 0;
    float afterWidth = 0;
    float beforeAngle = 0;   // radians
    float afterAngle = 0;    // radians
    uint8_t limit = 0;
    uint8_t kind = 0;        // 1 T-junction on this line, 2 subdivision/end, 3 interior crossing, 4 end meeting an end
};

class Line {
public:
    Line() = default;
    Line(float x0, float y0, float x1, float y1, float width, uint8_t limit = 0)
        : x0(x0), y0(y0), x1(x1), y1(y1), limit(limit), width(width) {}

    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    uint8_t limit = 0;
    float width = 0;
    std::vector<Crossing> crossings;  // sorted by ascending t

    Segment segment() const { return {x0, y0, x1, y1, limit}; }
    float length() const { return segment().length(); }
    Vec2 pointAt(float t) const { return segment().pointAt(t); }
    int crossingCount() const { return static_cast<int>(crossings.size()); }

    // Four corners at +-width/2 along the left normal, carrying the line's limit.
    Poly outline() const;
    // Merges with a crossing within 0.0001 in t, else inserts keeping t sorted.
    void addCrossing(const Crossing& c);
    Line subLine(float t0, float t1) const;
    void subdivide(float maxLength, uint8_t limit);
    // Adds to each line the crossing of the other, this line first.
    void cross(Line& other);
};
