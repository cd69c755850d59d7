#include "typology/building/TypBuiCourt.h"

#include <utility>

#include "core/ParameterList.h"
#include "core/RenderContext.h"

const ClassName TypBuiCourt::kClassName{"TypBuiCourt"};

namespace {
const char* const kBuildingEdgeNames[] = {"Party Wall", "Facade", "Entry", "Entry Facade", "Passing"};
const uint8_t kBuildingEdgeValues[] = {0, 1, 2, 3, 4};
const LimitNames kBuildingEdges{kBuildingEdgeNames, kBuildingEdgeValues, 5};
}  // namespace

TypBuiCourt::TypBuiCourt(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
                         const char* roofMaterialName, const char* wallMaterialName, std::vector<float> depths,
                         bool courtClosed_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, roofMaterialName, wallMaterialName),
      constructionDepth(std::move(depths)), courtClosed(courtClosed_) {
    constructionDepth.resize(poly.count(), 0.0f);
}

const ClassName& TypBuiCourt::className() const { return kClassName; }

const LimitNames& TypBuiCourt::limitNames() { return kBuildingEdges; }

void TypBuiCourt::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &limitNames());
    list.addFloatArray("Construction Depth", constructionDepth.data(), static_cast<int>(constructionDepth.size()));
    list.addBool("Court closed", &courtClosed);
    TypBui::declareParameters(list);
}

// Coarse, the prism takes the main material, so that an impostor pushed onto
// it is what shows.
void TypBuiCourt::drawOwnShape(RenderContext& ctx) { TypBui::drawPlotShape(ctx, material.get()); }

void TypBuiCourt::drawPlotShape(RenderContext& ctx, Material*) {
    ctx.extrudedPolygon(poly, extrusion, &wallMaterial, 0);
}

void TypBuiCourt::generate() { addOwnShapeStandIn(); }
