#include "typology/construction/LinearConstruction.h"

#include <cmath>
#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/Construction.h"

const ClassName LinearConstruction::kClassName{"Linear Construction"};

LinearConstruction::LinearConstruction(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                       uint32_t seed_, const char* materialName)
    : DescLine(line_, extrusion_, seed_, materialName), context(context_) {}

const ClassName& LinearConstruction::className() const { return kClassName; }

void LinearConstruction::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescLine::declareParameters(list);
}

void LinearConstruction::addOutlinePrism(uint8_t mapping) {
    const bool solid = line.length() > 0.0f && std::fabs(line.width) > 0.0f;
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    if (solid)
        Construction::addPrismTo(*this, line.outline(), extrusion, drawableSeed, material->textureName(), mapping, 1);
}
