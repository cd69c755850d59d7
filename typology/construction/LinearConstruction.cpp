#include "typology/construction/LinearConstruction.h"

#include "core/ParameterList.h"

const ClassName LinearConstruction::kClassName{"Linear Construction"};

LinearConstruction::LinearConstruction(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                       uint32_t seed_, const char* materialName)
    : DescLine(line_, extrusion_, seed_, materialName), context(context_) {}

const ClassName& LinearConstruction::className() const { return kClassName; }

void LinearConstruction::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescLine::declareParameters(list);
}
