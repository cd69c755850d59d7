#include "typology/construction/TypConSlabSimple.h"

#include <memory>
#include <utility>

#include "core/DrawableSlab.h"
#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "core/ParameterList.h"

const ClassName TypConSlabSimple::kClassName{"TypConSlabSimple"};

TypConSlabSimple::TypConSlabSimple(const Poly& poly_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                                   const char* materialName)
    : Construction(poly_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypConSlabSimple::className() const { return kClassName; }

void TypConSlabSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Construction::declareParameters(list);
}

int TypConSlabSimple::longestEdge(const Poly& p) {
    int best = 0;
    float bestLength = -1;
    for (int i = 0; i < p.count(); ++i) {
        const float l = p.edge(i).length();
        if (l > bestLength) {
            bestLength = l;
            best = i;
        }
    }
    return best;
}

void TypConSlabSimple::addSlab(Construction& c, bool tiled) {
    const Extrusion e = normalised(c.extrusion);
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const Poly& poly = c.poly;
    if (poly.count() < 3)
        return;
    const char* name = c.material->textureName();
    if (poly.isConvex()) {
        const uint8_t mode = tiled ? mapping::kHorizontal : mapping::kHorizontal | mapping::kOblique;
        addPrismTo(c, poly, e, drawableSeed, name, mode, static_cast<uint8_t>(longestEdge(poly)));
        return;
    }
    ClipPolygon shape;
    shape.add(poly, false);
    attach(c, std::make_unique<DrawableSlab>(std::move(shape), e, drawableSeed,
                                             leafMaterial(name, mapping::kHorizontal, 0)));
}

void TypConSlabSimple::generate() { addSlab(*this, false); }
