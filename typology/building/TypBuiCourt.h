#pragma once
// The court building: a ring of wings around an open court. Until its content
// is generated, a refined court building shows its prism in its wall
// material; a coarse one is its prism in its main (roof) material.
#include <cstdint>
#include <vector>

#include "typology/building/TypBui.h"

struct LimitNames;

class TypBuiCourt : public TypBui {
public:
    // depths: "Construction Depth", one per polygon edge, 0 for an unbuilt
    // edge, negative (the inward offset) for a wing; copied.
    TypBuiCourt(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
                const char* roofMaterialName, const char* wallMaterialName, std::vector<float> depths,
                bool courtClosed);

    const ClassName& className() const override;
    // Heading "TypBuiCourt", the polygon with the building edge kinds,
    // "Construction Depth[i]", "Court closed", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // The prism in the main material (or the impostor covering it).
    void drawOwnShape(RenderContext& ctx) override;
    // The stand-in's prism: in the wall material.
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Until the court plan is generated: the stand-in for the own shape.
    void generate() override;

    // The building edge kinds: "Party Wall" 0, "Facade" 1, "Entry" 2, "Entry Facade" 3, "Passing" 4.
    static const LimitNames& limitNames();

    std::vector<float> constructionDepth;  // "Construction Depth", metres, one per edge
    bool courtClosed = false;              // "Court closed": no corridor, a terrace over the court

    static const ClassName kClassName;
};
