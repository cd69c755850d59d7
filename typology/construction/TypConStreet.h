#pragma once
// The paved surface of a street piece: the piece's polygon laid on the
// terrain, its extrusion spanning the ground under it.
#include <cstdint>

#include "typology/construction/Construction.h"

class DescPoly;
class Terrain;
class TypBui;

class TypConStreet : public Construction {
public:
    // The paving hangs this far below the ground at its border (metres).
    static constexpr float kSkirtDepth = -10.0f;

    // owner: the street (or stall) that laid it; terrain: the land (both not
    // owned, may be null).
    TypConStreet(const Poly& poly, const Extrusion& extrusion, TypBui* owner, const Terrain* terrain, uint32_t seed,
                 const char* materialName);

    const ClassName& className() const override;
    // Heading "TypConStreet", then Construction's.
    void declareParameters(ParameterList& list) override;
    // One ground piece over the polygon on the terrain, mapped "Horizontal".
    void generate() override;

    // Level := lowest terrain height under the piece's points, height :=
    // highest - lowest + overHeight, bounds recomputed. Without a terrain the
    // piece keeps its extrusion.
    static void fit(DescPoly& piece, const Terrain* terrain, float overHeight);

    TypBui* ownerStreet = nullptr;     // not owned
    const Terrain* terrain = nullptr;  // not owned

    static const ClassName kClassName;
};
