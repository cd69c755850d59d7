#include "core/DrawablePolyExtruded.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"

const ClassName DrawablePolyExtruded::kClassName{"DrawablePolyExtruded"};
const ClassName DrawablePolyExtrudedP::kClassName{"DrawablePolyExtrudedP"};

DrawablePolyExtruded::DrawablePolyExtruded(const Poly& poly_, const Extrusion& extrusion_, uint32_t seed_,
                                           const char* materialName, int32_t options_)
    : Drawable(seed_, materialName), poly(poly_), extrusion(extrusion_), options(options_) {}

DrawablePolyExtruded::DrawablePolyExtruded(const Poly& poly_, const Extrusion& extrusion_, uint32_t seed_,
                                           std::unique_ptr<Material> material_, int32_t options_)
    : Drawable(seed_, nullptr), poly(poly_), extrusion(extrusion_), options(options_) {
    if (material_)
        material = std::move(material_);
}

void DrawablePolyExtruded::draw(RenderContext& ctx) {
    // Reseeded even when nothing is drawn, so the drawables after it see the
    // same offsets whatever this one's shape.
    material->seedOffsets(seed);
    if (poly.count() >= 3)
        ctx.extrudedPolygon(poly, extrusion, material.get(), options);
}

const ClassName& DrawablePolyExtruded::className() const { return kClassName; }

void DrawablePolyExtruded::declareParameters(ParameterList& list) {
    list.addHeading("DrawablePolyExtruded");
    declarePoly(poly, list, "Poly", nullptr);
    extrusion.declare(list);
    Drawable::declareParameters(list);
}

DrawablePolyExtrudedP::DrawablePolyExtrudedP(const Poly& poly_, const Extrusion& extrusion_,
                                             const Matrix44& placement_, uint32_t seed_, const char* materialName,
                                             int32_t options_)
    : DrawablePolyExtruded(poly_, extrusion_, seed_, materialName, options_), placement(placement_) {}

DrawablePolyExtrudedP::DrawablePolyExtrudedP(const Poly& poly_, const Extrusion& extrusion_,
                                             const Matrix44& placement_, uint32_t seed_,
                                             std::unique_ptr<Material> material_, int32_t options_)
    : DrawablePolyExtruded(poly_, extrusion_, seed_, std::move(material_), options_), placement(placement_) {}

void DrawablePolyExtrudedP::render(RenderContext& ctx) {
    ctx.drawPlaced(placement, [&] { DrawablePolyExtruded::render(ctx); });
}

const ClassName& DrawablePolyExtrudedP::className() const { return kClassName; }

void DrawablePolyExtrudedP::declareParameters(ParameterList& list) {
    list.addHeading("DrawablePolyExtrudedP");
    DrawablePolyExtruded::declareParameters(list);
}
