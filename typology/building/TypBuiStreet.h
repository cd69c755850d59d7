#pragma once
// Street pieces: the strip of street space an estate lays along each of its
// "Road in" edges, in three styles (variants): a plain street ("Empty"), a
// market street ("Market") and a street of the 20th century with lamps and
// cars ("20th Century"). Until their content is generated a piece shows as
// ground on the terrain. Coordinates are the town's local ones (metres); the
// pieces an estate lays run along their edges 1 (the estate's street edge)
// and 3 (the building line).
#include <cstdint>
#include <memory>

#include "core/Vector.h"

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
    // One paving piece over the whole polygon, fitted with over height 1.
    void generate() override;

    // Makes a piece of the given variant (null for an unknown one).
    static TypBuiStreet* make(int variant, const Poly& poly, const Extrusion& extrusion, const Terrain* terrain,
                              DescPolyLand* ownerPlot, uint32_t seed, const char* materialName);

    // Paving (TypConStreet) over piece with a fresh seed and this street's
    // material, fitted to the terrain with the over height; added as a child.
    void addPaving(const Poly& piece, float overHeight);
    // Places one model instance on the terrain at the plane point p, its
    // model x axis along direction (in the plane), scaled by (sx, sy, sz)
    // along its own axes; level: the model's base height.
    static Matrix44 modelPlacement(const Vec2& p, float level, const Vec2& direction, float sx = 1, float sy = 1,
                                   float sz = 1);
    // The ground under p: the terrain's height, else 0.
    float groundAt(const Vec2& p) const;

    const Terrain* terrain = nullptr;  // not owned: the shared land
    uint8_t variant = kEmpty;          // the variants entry's current value

    // Over height of the paving pieces (metres).
    static constexpr float kPavingOverHeight = 1.0f;

    static const ClassName kClassName;
};

class TypBuiStreetMarket : public TypBuiStreet {
public:
    TypBuiStreetMarket(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain,
                       DescPolyLand* ownerPlot, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // The variants entry at 1, then TypBuiStreet's (heading "TypBuiStreet").
    void declareParameters(ParameterList& list) override;
    // Verges along edges 1 and 3, then from edge 3 onwards pairs of stall
    // rows back to back with a lane between the pairs; the rest is a last
    // lane. Narrower than two verges: one paving piece.
    void generate() override;

    static constexpr float kVerge = 0.7f;
    static constexpr float kStallDepth = 1.35f;
    static constexpr float kLane = 3.0f;
    static constexpr float kStallHeight = 2.0f;
    // The kind every edge of the working copy gets.
    static constexpr uint8_t kBandEdge = 9;

    // Moves edge i of rest inwards by d; when rest stays a valid
    // quadrilateral, band receives the strip cut off (its edge 0 the old edge
    // i, its edge 2 the new one reversed) and rest is updated. False, both
    // untouched, otherwise.
    static bool cutBand(Poly& rest, int i, float d, Poly& band);

    static const ClassName kClassName;
};

class TypBuiStreet20 : public TypBuiStreet {
public:
    TypBuiStreet20(const Poly& poly, const Extrusion& extrusion, const Terrain* terrain, DescPolyLand* ownerPlot,
                   uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // The variants entry at 2, then TypBuiStreet's (heading "TypBuiStreet").
    void declareParameters(ParameterList& list) override;
    // Paving, street lamps along the building line (edge 3) and cars parked
    // along the carriageway 1.2 inside the street edge (edge 1).
    void generate() override;

    static constexpr float kLampStart = 1.0f, kLampSpacing = 10.0f;
    // Lamps stand this far from the building line, into the street (metres).
    static constexpr float kLampSetBack = 0.6f;
    static constexpr float kCarriageway = 1.2f;
    static constexpr float kFirstCar = 3.0f, kCarGapMin = 6.0f, kCarGapMax = 12.0f;
    // A car is only parked where its whole length (about 4.4 m) lies along the side.
    static constexpr float kCarHalfLength = 2.3f;

    static const ClassName kClassName;
};
