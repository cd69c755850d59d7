#include "core/DrawableTerrainPoly.h"

#include <utility>

#include "core/Material.h"
#include "core/RenderContext.h"

const ClassName DrawableTerrainPoly::kClassName{"DrawableTerrainPoly"};

DrawableTerrainPoly::DrawableTerrainPoly(const Poly& poly_, const Terrain* terrain_, float depth_, uint32_t seed_,
                                         std::unique_ptr<Material> material_)
    : Drawable(seed_, nullptr), poly(poly_), terrain(terrain_), depth(depth_) {
    if (material_)
        material = std::move(material_);
}

const ClassName& DrawableTerrainPoly::className() const { return kClassName; }

void DrawableTerrainPoly::draw(RenderContext& ctx) {
    material->seedOffsets(seed);
    if (terrain && poly.count() >= 3)
        ctx.terrainPolygon(poly, terrain, depth, material.get());
}
