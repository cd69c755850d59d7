#include "typology/construction/TypConPillarSimple.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"

const ClassName TypConPillarSimple::kClassName{"TypConPillarSimple"};

TypConPillarSimple::TypConPillarSimple(const Poly& poly_, const Extrusion& extrusion_, Desc* context_,
                                       uint32_t seed_, const char* materialName)
    : Construction(poly_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypConPillarSimple::className() const { return kClassName; }

void TypConPillarSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Construction::declareParameters(list);
}

void TypConPillarSimple::generate() {
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addPrismTo(*this, poly, extrusion, drawableSeed, material->textureName(),
               mapping::kVertical | mapping::kOblique | mapping::kRotated, 0);
}
