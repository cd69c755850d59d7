#pragma once
// A slab over a polygon with holes, handed to the renderer's slabPolygon:
// tiled floors, concave slabs and roof terraces. Its class name is the plain
// drawable's.
#include <cstdint>
#include <memory>

#include "core/Drawable.h"
#include "core/Extrusion.h"
#include "core/PolyClip.h"

class DrawableSlab : public Drawable {
public:
    // Binds a new material to materialName (null: unbound).
    DrawableSlab(ClipPolygon shape, const Extrusion& extrusion, uint32_t seed, const char* materialName);
    // Takes a material already set up; null gives an unbound one.
    DrawableSlab(ClipPolygon shape, const Extrusion& extrusion, uint32_t seed, std::unique_ptr<Material> material);

    // Reseeds the texture offsets, then draws nothing for an empty shape.
    void draw(RenderContext& ctx) override;

    ClipPolygon shape;
    Extrusion extrusion;
};
