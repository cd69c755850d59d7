#include "typology/building/TypBui.h"

#include <memory>

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"

const ClassName TypBui::kClassName{"TypBui"};

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
}  // namespace

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

const char* TypBui::mainMaterialName() const { return material ? material->beneathCover().textureName() : nullptr; }

std::unique_ptr<Material> TypBui::mainMaterialCopy() const {
    auto copy = std::make_unique<Material>(mainMaterialName());
    if (material) {
        const Material& m = material->beneathCover();
        copy->mapping = m.mapping;
        copy->referenceEdge = m.referenceEdge;
    }
    return copy;
}
