#pragma once
// An unbuilt site (garden or yard). Until its content is generated it shows
// its ground on the terrain.
#include <cstdint>

#include "typology/building/TypBui.h"

class TypBuiSite : public TypBui {
public:
    // overHeight: height of the trees along the street edges (metres).
    TypBuiSite(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
               const char* materialName, float overHeight);

    const ClassName& className() const override;
    // Heading "TypBuiSite", float "Over height", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // Fits to the owner plot's terrain with the over height.
    void fitToTerrain() override;
    // The ground on the owner plot's terrain (the prism without one).
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Until tree lines and ground tiles are generated: the stand-in for the own shape.
    void generate() override;

    float overHeight = 0;  // "Over height", metres

    static const ClassName kClassName;
};
