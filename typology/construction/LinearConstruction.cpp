#include "typology/construction/LinearConstruction.h"

#include <cmath>
#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"

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
    Extrusion e = extrusion;
    if (e.height < 0) {
        e.level += e.height;
        e.height = -e.height;
    }
    e.lowLimit = e.highLimit = 0;
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const Poly outline = line.outline();
    if (outline.count() < 3 || !(line.length() > 0.0f) || !(std::fabs(line.width) > 0.0f))
        return;
    auto m = std::make_unique<Material>(material->textureName());
    m->mapping = mapping;
    m->referenceEdge = 1;
    auto prism = std::make_unique<DrawablePolyExtruded>(outline, e, drawableSeed, std::move(m));
    prism->parent = this;
    addChild(std::move(prism));
}
