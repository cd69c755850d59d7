#pragma once
// A row of market stalls along a market street: the row's polygon cut along
// its front (edge 1) into stalls 1 to 3 m wide.
#include <cstdint>

#include "typology/building/TypBui.h"

class TypBuiStalls : public TypBui {
public:
    // Stall widths are drawn from [kMinWidth, kMaxWidth); a rest shorter than
    // a drawn width plus kMinWidth becomes the last stall.
    static constexpr float kMinWidth = 1.0f, kMaxWidth = 3.0f;

    // poly: four points, the front from point 1 to point 2; terrain: the land
    // (not owned, may be null). Main material: the canopies' and stalls';
    // wall material: the frames'.
    TypBuiStalls(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain, DescPolyLand* ownerPlot,
                 uint32_t seed, const char* materialName, const char* wallMaterialName, float stallHeight);

    const ClassName& className() const override;
    // Heading "TypBuiStalls", float "Stall height", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // The row drawn as paving on the terrain until its stalls exist.
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Stalls side by side along the front, each 0.75 to 1.0 times the stall
    // height high, covering the whole row.
    void generate() override;

    // The width of the next stall when remaining is left of the front and
    // drawn was drawn: drawn, or the whole rest when less than drawn plus
    // kMinWidth would be left.
    static float stallWidth(float remaining, float drawn);

    const Terrain* terrain = nullptr;  // not owned
    float stallHeight = 0;             // "Stall height", metres

    static const ClassName kClassName;
};
