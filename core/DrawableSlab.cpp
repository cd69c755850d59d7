#include "core/DrawableSlab.h"

#include <utility>

#include "core/Material.h"
#include "core/RenderContext.h"

DrawableSlab::DrawableSlab(ClipPolygon shape_, const Extrusion& extrusion_, uint32_t seed_, const char* materialName)
    : Drawable(seed_, materialName), shape(std::move(shape_)), extrusion(extrusion_) {}

DrawableSlab::DrawableSlab(ClipPolygon shape_, const Extrusion& extrusion_, uint32_t seed_,
                           std::unique_ptr<Material> material_)
    : Drawable(seed_, nullptr), shape(std::move(shape_)), extrusion(extrusion_) {
    if (material_)
        material = std::move(material_);
}

void DrawableSlab::draw(RenderContext& ctx) {
    material->seedOffsets(seed);
    if (!shape.contours.empty())
        ctx.slabPolygon(shape, extrusion, material.get());
}
