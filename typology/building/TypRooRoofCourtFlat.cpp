#include "typology/building/TypRooRoofCourtFlat.h"

#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/construction/TypConSlabSimple.h"

const ClassName TypRooRoofCourtFlat::kClassName{"TypRooRoofCourtFlat"};

namespace {
const char* const kVariantNames[] = {"Flat", "Tiled"};
const uint8_t kVariantValues[] = {0, 1};
}  // namespace

TypRooRoofCourtFlat::TypRooRoofCourtFlat(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner,
                                         uint32_t seed_, const char* materialName, TypRooCourtPlan* plan_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), plan(plan_) {}

const ClassName& TypRooRoofCourtFlat::className() const { return kClassName; }

void TypRooRoofCourtFlat::declareVariants(ParameterList& list, uint8_t* target) {
    list.setVariants(kVariantNames, 2, kVariantValues, target);
}

void TypRooRoofCourtFlat::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareVariants(list, &variant);
    TypRoo::declareParameters(list);
}

Drawable* TypRooRoofCourtFlat::createVariant(int index) {
    return plan ? plan->makeRoof(index, extrusion, seed, material->textureName()).release() : nullptr;
}

void TypRooRoofCourtFlat::generate() {
    const auto slabSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addChild(std::make_unique<TypConSlabSimple>(poly, Extrusion{extrusion.level, kSlabThickness}, this, slabSeed,
                                                material->textureName()));
}
