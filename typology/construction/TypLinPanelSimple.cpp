#include "typology/construction/TypLinPanelSimple.h"

#include <cmath>
#include <vector>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/Construction.h"

const ClassName TypLinPanelSimple::kClassName{"TypLinPanelSimple"};

namespace {

constexpr float kPi = 3.14159265358979f;
// Below this sine a crossing runs along the line and cuts the end square.
constexpr float kMinSine = 0.0001f;

// A corner in the line's frame: s along the line from the crossing point, d
// across it (positive on the left).
struct Corner {
    float s, d;
};

// Where the element of a crossing (width c at angle a) cuts the two long
// sides at +h and -h: the face that bounds the piece, beyond the element at
// the start, before it at the end.
void mitre(float angle, float c, float h, bool atStart, float& plus, float& minus) {
    float a = std::isfinite(angle) ? std::fmod(angle, kPi) : 0.0f;
    if (a < 0)
        a += kPi;
    const float sine = std::sin(a);
    if (!(sine >= kMinSine)) {
        plus = minus = 0;
        return;
    }
    const float cotangent = std::cos(a) / sine;
    const float face = (atStart ? c : -c) / (2 * sine);
    plus = h * cotangent + face;
    minus = -h * cotangent + face;
}

// The corners of one end, from the left side to the right side.
std::vector<Corner> endCorners(const Crossing* c, float h, bool atStart) {
    if (!c)
        return {{0, h}, {0, -h}};
    float plus, minus;
    if (c->kind >= 4 && c->beforeAngle != c->afterAngle) {
        // Two elements meet here: the one on the left side cuts the left
        // corner, the other the right one, the crossing point between them.
        const bool beforeLeft = c->beforeAngle < kPi;
        float beforePlus, beforeMinus, afterPlus, afterMinus;
        mitre(c->beforeAngle, c->beforeWidth, h, atStart, beforePlus, beforeMinus);
        mitre(c->afterAngle, c->afterWidth, h, atStart, afterPlus, afterMinus);
        plus = beforeLeft ? beforePlus : afterPlus;
        minus = beforeLeft ? afterMinus : beforeMinus;
        return {{plus, h}, {0, 0}, {minus, -h}};
    }
    mitre(c->beforeAngle, c->beforeWidth, h, atStart, plus, minus);
    return {{plus, h}, {minus, -h}};
}

}  // namespace

TypLinPanelSimple::TypLinPanelSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                     uint32_t seed_, const char* materialName, float widthReduction_)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName), widthReduction(widthReduction_) {}

const ClassName& TypLinPanelSimple::className() const { return kClassName; }

void TypLinPanelSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Width Reduction", &widthReduction);
    LinearConstruction::declareParameters(list);
}

Poly TypLinPanelSimple::footprint(const Line& line, float reduction) {
    const float length = line.length();
    const float width = line.width;
    if (!(length > 0) || !(width > 0) || !std::isfinite(length) || !std::isfinite(width))
        return Poly();
    const Vec2 start(line.x0, line.y0), end(line.x1, line.y1);
    const Vec2 u = (end - start) * (1.0f / length);
    const Vec2 n = u.perpendicular();
    const float h = width * 0.5f;
    const Crossing* first = !line.crossings.empty() && line.crossings.front().t == 0 ? &line.crossings.front() : nullptr;
    const Crossing* last = !line.crossings.empty() && line.crossings.back().t == 1 ? &line.crossings.back() : nullptr;

    const std::vector<Corner> head = endCorners(first, h, true);
    const std::vector<Corner> tail = endCorners(last, h, false);
    Poly p;
    auto put = [&](const Vec2& origin, const Corner& c, uint8_t limit) {
        const Vec2 v = origin + u * c.s + n * c.d;
        p.addPoint(Point{v.x, v.y, limit});
    };
    // Right to left across the start, left to right across the end: the
    // system's positive orientation.
    for (size_t i = head.size(); i-- > 0;)
        put(start, head[i], i == 0 ? kLeftSide : kStartEnd);
    for (size_t i = 0; i < tail.size(); ++i)
        put(end, tail[i], i + 1 == tail.size() ? kRightSide : kEndEnd);
    if (!p.isValid())
        return Poly();

    if (reduction != 0 && std::fabs(reduction) < width && std::isfinite(reduction)) {
        const uint8_t side = reduction > 0 ? kLeftSide : kRightSide;
        std::vector<float> distances(p.count(), 0.0f);
        for (int i = 0; i < p.count(); ++i)
            if (p[i].limit == side)
                distances[i] = -(width - std::fabs(reduction));
        if (p.canInset(distances)) {
            Poly narrowed = p.inset(distances);
            if (narrowed.isValid())
                return narrowed;
        }
    }
    return p;
}

void TypLinPanelSimple::addFootprint(uint32_t drawableSeed, uint8_t mode) {
    const Poly shape = footprint(line, widthReduction);
    if (shape.empty())
        return;
    Construction::addPrismTo(*this, shape, extrusion, drawableSeed, material->textureName(), mode, 1);
}

void TypLinPanelSimple::generate() {
    addFootprint(context ? context->seed : seed, mapping::kVertical | mapping::kOblique);
}
