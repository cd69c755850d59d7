#include "typology/construction/TypLinBeamSimple.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"

const ClassName TypLinBeamSimple::kClassName{"TypLinBeamSimple"};

TypLinBeamSimple::TypLinBeamSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                                   const char* materialName)
    : TypLinPanelSimple(line_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypLinBeamSimple::className() const { return kClassName; }

void TypLinBeamSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypLinPanelSimple::declareParameters(list);
}

void TypLinBeamSimple::generate() {
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addFootprint(drawableSeed, mapping::kHorizontal | mapping::kOblique);
}
