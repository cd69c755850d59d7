#include "core/DrawableSlopedPanel.h"

#include <utility>

#include "core/Material.h"
#include "core/RenderContext.h"

DrawableSlopedPanel::DrawableSlopedPanel(const Poly& footprint_, const Extrusion& start_, const Extrusion& end_,
                                         uint32_t seed_, std::unique_ptr<Material> material_)
    : Drawable(seed_, nullptr), footprint(footprint_), start(start_), end(end_) {
    if (material_)
        material = std::move(material_);
}

void DrawableSlopedPanel::draw(RenderContext& ctx) {
    material->seedOffsets(seed);
    if (footprint.count() >= 3)
        ctx.slopedPanel(footprint, start, end, material.get());
}
