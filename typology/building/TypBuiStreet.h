#pragma once
// Street pieces: the strip of street space an estate lays along each of its
// "Road in" edges, in three styles (variants): a plain street ("Empty"), a
// market street ("Market") and a street of the 20th century with lamps and
// cars ("20th Century"). Until their content is generated a piece shows as
// ground on the terrain. Coordinates are the town's local ones (metres).
#include <cstdint>

#include "typology/building/TypBui.h"

class TypBuiStreet : public TypBui {
public:
    enum Variant : uint8_t { kEmpty = 0, kMarket = 1, kCentury20 = 2 };

    // terrain: the land the piece lies on (not owned, may be null);
    // ownerPlot: the estate that laid it (not owned, may be null).
    TypBuiStreet(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain, DescPolyLand* ownerPlot,
                 uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypBuiStreet", the variants "Empty"/"Market"/"20th Century"
    // at this piece's variant, then TypBui's.
    void declareParameters(ParameterList& list) override;
    // A piece of variant index (0 plain, 1 market, 2 20th century) over the
    // same polygon, extrusion, terrain, owner, seed and material; else null.
    Drawable* createVariant(int index) override;
    // The polygon laid on the terrain (the prism without one).
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Until the paving is generated: the stand-in for the own shape.
    void generate() override;

    // Makes a piece of the given variant (null for an unknown one).
    static TypBuiStreet* make(int variant, const Poly& poly, const Extrusion& extrusion, const Terrain* terrain,
                              DescPolyLand* ownerPlot, uint32_t seed, const char* materialName);

    const Terrain* terrain = nullptr;  // not owned: the shared land
    uint8_t variant = kEmpty;          // the variants entry's current value

    static const ClassName kClassName;
};

class TypBuiStreetMarket : public TypBuiStreet {
public:
    TypBuiStreetMarket(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain,
                       DescPolyLand* ownerPlot, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // The variants entry at 1, then TypBuiStreet's (heading "TypBuiStreet").
    void declareParameters(ParameterList& list) override;

    static const ClassName kClassName;
};

class TypBuiStreet20 : public TypBuiStreet {
public:
    TypBuiStreet20(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain, DescPolyLand* ownerPlot,
                   uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // The variants entry at 2, then TypBuiStreet's (heading "TypBuiStreet").
    void declareParameters(ParameterList& list) override;

    static const ClassName kClassName;
};
