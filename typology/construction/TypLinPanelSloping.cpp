#include "typology/construction/TypLinPanelSloping.h"

#include <memory>

#include "core/DrawableSlopedPanel.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/Construction.h"
#include "typology/construction/TypLinPanelSimple.h"

const ClassName TypLinPanelSloping::kClassName{"TypLinPanelSloping"};

TypLinPanelSloping::TypLinPanelSloping(const Line& line_, const Extrusion& start_, const Extrusion& end_,
                                       Desc* context_, uint32_t seed_, const char* materialName)
    : LinearConstruction(line_, start_, context_, seed_, materialName), endExtrusion(end_) {}

const ClassName& TypLinPanelSloping::className() const { return kClassName; }

void TypLinPanelSloping::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addHeading("End limit");
    endExtrusion.declare(list);
    LinearConstruction::declareParameters(list);
}

void TypLinPanelSloping::generate() {
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const Poly shape = TypLinPanelSimple::footprint(line, 0);
    if (shape.empty())
        return;
    Construction::attach(*this, std::make_unique<DrawableSlopedPanel>(
                                    shape, Construction::normalised(extrusion), Construction::normalised(endExtrusion),
                                    drawableSeed,
                                    Construction::leafMaterial(material->textureName(), mapping::kVertical, 1)));
}
