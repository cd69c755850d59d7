#include "typology/construction/TypLinPortico.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinWallSimple.h"

const ClassName TypLinPortico::kClassName{"TypLinPortico"};

TypLinPortico::TypLinPortico(const Line& line_, const Extrusion& extrusion_, Desc* context_, int32_t sectionsKind_,
                             int32_t openingsKind_, uint32_t seed_, const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName), sectionsKind(sectionsKind_),
      openingsKind(openingsKind_) {}

const ClassName& TypLinPortico::className() const { return kClassName; }

void TypLinPortico::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypLinWallSimple::declareWallEntries(list, &variant, &sectionsKind, &openingsKind);
    LinearConstruction::declareParameters(list);
}

Drawable* TypLinPortico::createVariant(int index) {
    return TypLinWallSimple::make(index, line, extrusion, context, sectionsKind, openingsKind, seed,
                                  material->textureName());
}

// Until pillars and lintel exist: the portico's own prism.
void TypLinPortico::generate() { addOutlinePrism(mapping::kVertical | mapping::kOblique); }
