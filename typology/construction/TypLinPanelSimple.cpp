#include "typology/construction/TypLinPanelSimple.h"

#include "core/Material.h"
#include "core/ParameterList.h"

const ClassName TypLinPanelSimple::kClassName{"TypLinPanelSimple"};

TypLinPanelSimple::TypLinPanelSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                     uint32_t seed_, const char* materialName, float widthReduction_)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName), widthReduction(widthReduction_) {}

const ClassName& TypLinPanelSimple::className() const { return kClassName; }

void TypLinPanelSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Width Reduction", &widthReduction);
    LinearConstruction::declareParameters(list);
}

void TypLinPanelSimple::generate() { addOutlinePrism(mapping::kVertical | mapping::kOblique); }
