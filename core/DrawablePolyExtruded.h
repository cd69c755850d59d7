#pragma once
// The commonest geometry of the town: a polygon extruded vertically, handed
// to the renderer's extrudedPolygon; and the same placed by its own matrix.
#include <cstdint>
#include <memory>

#include "core/Drawable.h"
#include "core/Extrusion.h"
#include "core/Poly.h"
#include "core/Vector.h"

class DrawablePolyExtruded : public Drawable {
public:
    // Binds a new material to materialName (null: unbound).
    DrawablePolyExtruded(const Poly& poly, const Extrusion& extrusion, uint32_t seed, const char* materialName,
                         int32_t options = 0);
    // Takes a material already set up (mapping mode, reference edge); null
    // gives an unbound one.
    DrawablePolyExtruded(const Poly& poly, const Extrusion& extrusion, uint32_t seed,
                         std::unique_ptr<Material> material, int32_t options = 0);

    // Reseeds the texture offsets, then draws nothing below 3 points.
    void draw(RenderContext& ctx) override;
    const ClassName& className() const override;
    void declareParameters(ParameterList& list) override;

    Poly poly;
    Extrusion extrusion;
    int32_t options = 0;  // passed to the renderer with the polygon

    static const ClassName kClassName;
};

// An extruded polygon in its own frame: the placement maps its coordinates
// into its parent's.
class DrawablePolyExtrudedP : public DrawablePolyExtruded {
public:
    DrawablePolyExtrudedP(const Poly& poly, const Extrusion& extrusion, const Matrix44& placement, uint32_t seed,
                          const char* materialName, int32_t options = 0);
    DrawablePolyExtrudedP(const Poly& poly, const Extrusion& extrusion, const Matrix44& placement, uint32_t seed,
                          std::unique_ptr<Material> material, int32_t options = 0);

    // Renders with the context's model and model-view matrices multiplied by
    // the placement, and restores both afterwards.
    void render(RenderContext& ctx) override;
    const ClassName& className() const override;
    void declareParameters(ParameterList& list) override;

    Matrix44 placement;

    static const ClassName kClassName;
};
