#pragma once
// A polygon laid on the terrain with a skirt hanging below it: ground pieces
// of sites and streets.
#include <cstdint>
#include <memory>

#include "core/Drawable.h"
#include "core/Poly.h"

class Terrain;

class DrawableTerrainPoly : public Drawable {
public:
    // terrain: not owned, may be null (the piece then draws nothing); depth:
    // the skirt's reach below the ground (negative metres).
    DrawableTerrainPoly(const Poly& poly, const Terrain* terrain, float depth, uint32_t seed,
                        std::unique_ptr<Material> material);

    // Reseeds the texture offsets, then the renderer's terrainPolygon.
    void draw(RenderContext& ctx) override;
    const ClassName& className() const override;

    Poly poly;
    const Terrain* terrain = nullptr;  // not owned
    float depth = 0;

    static const ClassName kClassName;
};
