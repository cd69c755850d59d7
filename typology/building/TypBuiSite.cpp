#include "typology/building/TypBuiSite.h"

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"

const ClassName TypBuiSite::kClassName{"TypBuiSite"};

TypBuiSite::TypBuiSite(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
                       const char* materialName, float overHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), overHeight(overHeight_) {}

const ClassName& TypBuiSite::className() const { return kClassName; }

void TypBuiSite::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Over height", &overHeight);
    TypBui::declareParameters(list);
}

void TypBuiSite::fitToTerrain() { fitTo(plotTerrain(), overHeight); }

void TypBuiSite::drawPlotShape(RenderContext& ctx, Material* mainMaterial) {
    if (const Terrain* land = plotTerrain())
        ctx.terrainPolygon(poly, land, DescPolyLand::kSkirtDepth, mainMaterial);
    else
        TypBui::drawPlotShape(ctx, mainMaterial);
}

void TypBuiSite::generate() { addOwnShapeStandIn(); }
