#include "typology/building/TypBuiTreeLine.h"

#include "core/ParameterList.h"

const ClassName TypBuiTreeLine::kClassName{"TypBuiTreeLine"};

TypBuiTreeLine::TypBuiTreeLine(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_,
                               uint32_t seed_, const char* materialName, float treeHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), treeHeight(treeHeight_) {}

const ClassName& TypBuiTreeLine::className() const { return kClassName; }

void TypBuiTreeLine::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Tree height", &treeHeight);
    TypBui::declareParameters(list);
}

void TypBuiTreeLine::drawPlotShape(RenderContext&, Material*) {}
