#pragma once
// A strip planted with trees along a street edge of a site. Its trees come
// with their own generation; until then a tree line makes and draws nothing,
// but it is solid for collisions like every building.
#include <cstdint>

#include "typology/building/TypBui.h"

class TypBuiTreeLine : public TypBui {
public:
    // poly: the strip (four points); treeHeight: height of its trees (metres).
    TypBuiTreeLine(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
                   const char* materialName, float treeHeight);

    const ClassName& className() const override;
    // Heading "TypBuiTreeLine", float "Tree height", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // Nothing to show until the trees exist.
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;

    float treeHeight = 0;  // "Tree height", metres

    static const ClassName kClassName;
};
