#pragma once
// A four-sided roof surface with its own height at every corner, handed to
// the renderer's roofQuad. Its class name is the plain drawable's.
#include <cstdint>
#include <memory>

#include "core/Drawable.h"
#include "core/Poly.h"

class DrawableRoofQuad : public Drawable {
public:
    // heights: absolute height of each of the four corners; thickness: the
    // surface reaches this far from them (negative: downwards). Takes a
    // material already set up; null gives an unbound one.
    DrawableRoofQuad(const Poly& poly, const float heights[4], float thickness, uint32_t seed,
                     std::unique_ptr<Material> material);

    // Reseeds the texture offsets, then draws only a four-point polygon.
    void draw(RenderContext& ctx) override;

    Poly poly;
    float heights[4] = {0, 0, 0, 0};
    float thickness = 0;
};
