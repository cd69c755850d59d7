#include "typology/construction/TypConStairsStraight.h"

#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBanisterSloping.h"

const ClassName TypConStairsStraight::kClassName{"TypConStairsStraight"};

namespace {
const char* const kLimitNames[] = {"Wall", "Begin", "End", "Banister"};
const uint8_t kLimitValues[] = {1, 2, 3, 5};
const LimitNames kLimits{kLimitNames, kLimitValues, 4};
// More steps than a description may hold children are refused by the entry.
constexpr int32_t kMaxSteps = 250;

Vec2 lerp(const Vec2& a, const Vec2& b, float f) { return a + (b - a) * f; }
}  // namespace

TypConStairsStraight::TypConStairsStraight(const Poly& poly_, const Extrusion& extrusion_, int32_t steps_,
                                           float banisterHeight_, Desc* context_, uint32_t seed_,
                                           const char* materialName)
    : Construction(poly_, Extrusion{extrusion_.level, extrusion_.height + banisterHeight_}, context_, seed_,
                   materialName),
      steps(steps_), banisterHeight(banisterHeight_) {}

const ClassName& TypConStairsStraight::className() const { return kClassName; }

const LimitNames& TypConStairsStraight::limitNames() { return kLimits; }

void TypConStairsStraight::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &kLimits);
    list.addInt("Num. Steps", &steps, ValueRange{1, kMaxSteps});
    list.addFloat("Banister height", &banisterHeight, {0.0, TypConBalcony::kMaxBanisterHeight});
    Construction::declareParameters(list);
}

int TypConStairsStraight::edgeOf(uint8_t kind) const {
    for (int i = 0; i < poly.count(); ++i)
        if (poly[i].limit == kind)
            return i;
    return -1;
}

void TypConStairsStraight::generate() {
    const int begin = edgeOf(kBegin), end = edgeOf(kEnd);
    if (steps < 1 || steps > kMaxSteps || poly.count() != 4 || begin < 0 || end != (begin + 2) % 4) {
        stayCoarse();
        return;
    }
    RandomGenerator& random = RandomGenerator::generation();
    const char* name = material->textureName();
    const float level = extrusion.level, rise = climb();
    const float riser = rise / static_cast<float>(steps);
    // The two long sides, from the Begin edge to the End edge.
    const Vec2 p0 = poly[(begin + 1) % 4].vec(), p1 = poly[end].vec();
    const Vec2 q0 = poly[begin].vec(), q1 = poly[(end + 1) % 4].vec();
    for (int k = 0; k < steps; ++k) {
        if (tooManyChildren())
            break;
        const float f0 = static_cast<float>(k) / static_cast<float>(steps);
        const float f1 = static_cast<float>(k + 1) / static_cast<float>(steps);
        Poly step;
        step.addPoint(Point{lerp(q0, q1, f0).x, lerp(q0, q1, f0).y, kBegin});
        step.addPoint(Point{lerp(p0, p1, f0).x, lerp(p0, p1, f0).y, poly[(begin + 1) % 4].limit});
        step.addPoint(Point{lerp(p0, p1, f1).x, lerp(p0, p1, f1).y, kEnd});
        step.addPoint(Point{lerp(q0, q1, f1).x, lerp(q0, q1, f1).y, poly[(end + 1) % 4].limit});
        const auto stepSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypConSlabSimple>(step, Extrusion{level + static_cast<float>(k) * riser, riser},
                                                    context, stepSeed, name));
    }
    const int side = edgeOf(kBanister);
    if (side < 0)
        return;
    Segment rail = poly.edge(side).offset(-kBanisterInset);
    // It runs from the foot to the head.
    if (side == (end + 1) % 4)
        rail = Segment{rail.x1, rail.y1, rail.x0, rail.y0, rail.limit};
    const auto banisterSeed = static_cast<uint32_t>(random.next());
    if (auto banister = TypLinBanisterSloping::createSloping(
            TypLinBanister::kAutomatic, Line(rail.x0, rail.y0, rail.x1, rail.y1, kBanisterWidth, kBanister),
            Extrusion{level - kBanisterDrop, banisterHeight}, level + rise - kBanisterDrop, context, banisterSeed,
            name))
        addChild(std::move(banister));
}
