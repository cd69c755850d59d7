#include "typology/building/TypBuiCourt.h"

#include <memory>
#include <utility>

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"

const ClassName TypBui::kClassName{"TypBui"};
const ClassName TypBuiCourt::kClassName{"TypBuiCourt"};
const ClassName TypBuiSite::kClassName{"TypBuiSite"};

namespace {
// Stands in for a building's content until that is generated: draws the
// building's own shape. It keeps the building's main material from the time
// it was made, so that an impostor pushed onto the building later does not
// end up drawn into itself.
class OwnShapeStandIn : public Drawable {
public:
    OwnShapeStandIn(TypBui& building, Material* mainMaterial)
        : Drawable(0, nullptr), building_(building), mainMaterial_(mainMaterial) {}

    void draw(RenderContext& ctx) override { building_.drawPlotShape(ctx, mainMaterial_); }

private:
    TypBui& building_;        // not owned: the parent
    Material* mainMaterial_;  // not owned: the building's own material object
};

const char* const kBuildingEdgeNames[] = {"Party Wall", "Facade", "Entry", "Entry Facade", "Passing"};
const uint8_t kBuildingEdgeValues[] = {0, 1, 2, 3, 4};
const LimitNames kBuildingEdges{kBuildingEdgeNames, kBuildingEdgeValues, 5};
}  // namespace

// ---- TypBui ----

TypBui::TypBui(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
               const char* materialName, const char* wallMaterialName)
    : DescPoly(poly_, extrusion_.height, seed_, materialName), ownerPlot(ownerPlot_), wallMaterial(wallMaterialName) {
    extrusion = extrusion_;
    computeBounds();
}

const ClassName& TypBui::className() const { return kClassName; }

void TypBui::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    wallMaterial.declare(list, "Wall material");
    DescPoly::declareParameters(list);
}

bool TypBui::collides(const Vector& from, const Vector& to) const { return collidesSelf(from, to); }

const Terrain* TypBui::plotTerrain() const { return ownerPlot ? ownerPlot->terrain : nullptr; }

void TypBui::fitTo(const Terrain* terrain, float overHeight) {
    float low = 0, high = 0;
    if (!terrain || !terrain->range(poly, low, high))
        return;
    extrusion.level = low;
    extrusion.height = high - low + overHeight;
    computeBounds();
}

void TypBui::drawOwnShape(RenderContext& ctx) { drawPlotShape(ctx, material.get()); }

void TypBui::drawPlotShape(RenderContext& ctx, Material* mainMaterial) {
    ctx.extrudedPolygon(poly, extrusion, mainMaterial, 0);
}

void TypBui::addOwnShapeStandIn() { addChild(std::make_unique<OwnShapeStandIn>(*this, material.get())); }

// ---- TypBuiCourt ----

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
    list.addFloatArray("Construction Depth", constructionDepth.data(), static_cast<int>(constructionDepth.size()),
                       {1.0, 50.0});
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

// ---- TypBuiSite ----

TypBuiSite::TypBuiSite(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
                       const char* materialName, float overHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), overHeight(overHeight_) {}

const ClassName& TypBuiSite::className() const { return kClassName; }

void TypBuiSite::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Over height", &overHeight, {0.0, 1000.0});
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
