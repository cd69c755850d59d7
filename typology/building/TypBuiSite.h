#pragma once
// An unbuilt site (garden or yard): tree lines along its street edges and its
// ground laid on the terrain, cut into tiles when it is large.
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
    // A tree line along every street edge (kinds 1 and 8), then the ground:
    // one piece below 400 m2, else tiles of at least 12.5 m cut to the site.
    void generate() override;

    // Sites smaller than this (m2) lie on the terrain in one piece.
    static constexpr float kSinglePieceArea = 400.0f;
    // Tiles across the square around the site, and the smallest tile side (metres).
    static constexpr int kTilesAcross = 14;
    static constexpr float kMinTileSide = 12.5f;
    // Tree lines: inset from the street edge and strip width (metres).
    static constexpr float kTreeLineInset = 1.0f;
    static constexpr float kTreeLineWidth = 3.0f;

    float overHeight = 0;  // "Over height", metres

    static const ClassName kClassName;
};
