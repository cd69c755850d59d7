#pragma once
// A panel whose level and height run linearly from its start end to its
// other end (stair flanks, sloping parapets), handed to the renderer's
// slopedPanel. Its class name is the plain drawable's.
#include <cstdint>
#include <memory>

#include "core/Drawable.h"
#include "core/Extrusion.h"
#include "core/Poly.h"

class DrawableSlopedPanel : public Drawable {
public:
    // Takes a material already set up; null gives an unbound one. The
    // footprint lists the corners of its start end first.
    DrawableSlopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end, uint32_t seed,
                        std::unique_ptr<Material> material);

    // Reseeds the texture offsets, then draws nothing below 3 points.
    void draw(RenderContext& ctx) override;

    Poly footprint;
    Extrusion start, end;
};
