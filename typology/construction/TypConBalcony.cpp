#include "typology/construction/TypConBalcony.h"

#include <cmath>
#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBanister.h"

const ClassName TypConBalcony::kClassName{"TypConBalcony"};

namespace {
// "Open": the sides a stair's landings and galleries share with the next
// piece, which get neither wall nor banister; named so that a side edited
// away can be given back.
const char* const kLimitNames[] = {"Wall", "Banister", "Open"};
const uint8_t kLimitValues[] = {1, 5, 0};
const LimitNames kLimits{kLimitNames, kLimitValues, 3};
}  // namespace

TypConBalcony::TypConBalcony(const Poly& poly_, float floor, float banisterHeight_, float banisterWidth_,
                             Desc* context_, uint32_t seed_, const char* materialName)
    : DescPoly(poly_, 0.0f, seed_, materialName), context(context_), banisterHeight(banisterHeight_),
      banisterWidth(banisterWidth_) {
    extrusion = Extrusion{floor - kSlab, banisterHeight_ + kSlab};
    computeBounds();
}

const ClassName& TypConBalcony::className() const { return kClassName; }

const LimitNames& TypConBalcony::limitNames() { return kLimits; }

void TypConBalcony::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &kLimits);
    list.addFloat("Banister height", &banisterHeight, {0.0, kMaxBanisterHeight});
    list.addFloat("Banister width", &banisterWidth, ValueRange{0, 10});
    DescPoly::declareParameters(list);
}

Line TypConBalcony::banisterLine(int i) const {
    const int n = poly.count();
    const float half = banisterWidth * 0.5f;
    // The polygon lies on the right of its edges: inwards is against the left normal.
    auto setIn = [&](int k) {
        const Segment e = poly.edge(k);
        return e.limit == kBanister ? e.offset(-half) : e;
    };
    const Segment own = setIn(i);
    Vec2 start = own.start(), end = own.end(), hit;
    if (intersect(own, setIn((i + n - 1) % n), hit) != kIntersectParallel)
        start = hit;
    if (intersect(own, setIn((i + 1) % n), hit) != kIntersectParallel)
        end = hit;
    return Line(start.x, start.y, end.x, end.y, banisterWidth, kBanister);
}

void TypConBalcony::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    const char* name = material->textureName();
    Extrusion standing{floorLevel(), banisterHeight};
    if (standing.height < 0) {
        standing.level += standing.height;
        standing.height = -standing.height;
    }
    for (int i = 0; i < poly.count(); ++i) {
        if (poly[i].limit != kBanister)
            continue;
        const auto banisterSeed = static_cast<uint32_t>(random.next());
        if (auto banister = TypLinBanister::createBanister(TypLinBanister::kAutomatic, banisterLine(i), standing,
                                                            context, banisterSeed, name))
            addChild(std::move(banister));
    }
    if (poly.count() < 3)
        return;
    const auto slabSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypConSlabSimple>(poly, Extrusion{extrusion.level, kSlab}, context, slabSeed, name));
}
