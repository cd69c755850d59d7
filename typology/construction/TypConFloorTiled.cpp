#include "typology/construction/TypConFloorTiled.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypConSlabSimple.h"

const ClassName TypConFloorTiled::kClassName{"TypConFloorTiled"};

TypConFloorTiled::TypConFloorTiled(const Poly& poly_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                                   const char* materialName)
    : Construction(poly_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypConFloorTiled::className() const { return kClassName; }

void TypConFloorTiled::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Construction::declareParameters(list);
}

void TypConFloorTiled::generate() { TypConSlabSimple::addSlab(*this, true); }
