#include "core/DrawableRoofQuad.h"

#include <utility>

#include "core/Material.h"
#include "core/RenderContext.h"

DrawableRoofQuad::DrawableRoofQuad(const Poly& poly_, const float heights_[4], float thickness_, uint32_t seed_,
                                   std::unique_ptr<Material> material_)
    : Drawable(seed_, nullptr), poly(poly_), thickness(thickness_) {
    for (int i = 0; i < 4; ++i)
        heights[i] = heights_[i];
    if (material_)
        material = std::move(material_);
}

void DrawableRoofQuad::draw(RenderContext& ctx) {
    material->seedOffsets(seed);
    if (poly.count() == 4)
        ctx.roofQuad(poly, heights, thickness, material.get());
}
