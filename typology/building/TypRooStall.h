#pragma once
// One market stall: a paved floor, canvas side screens under wooden beams,
// counters at the front and the back, and a canopy model on top.
#include <cstdint>

#include "typology/building/TypRoo.h"

class Terrain;

class TypRooStall : public TypRoo {
public:
    // The frame stands this far inside the stall's outline (metres).
    static constexpr float kFrameInset = 0.05f;
    // Side screens and their beams: thickness; their tops stay kClearance
    // below the stall's top, under the canopy.
    static constexpr float kScreenWidth = 0.05f;
    static constexpr float kClearance = 0.07f;
    // Counters: depth and height above the ground.
    static constexpr float kCounterDepth = 0.35f;
    static constexpr float kCounterHeight = 0.9f;
    // The floor's over height (metres).
    static constexpr float kFloorOverHeight = 10.0f;

    // poly: four points, the front from point 1 to point 2; owner: the stall
    // row; terrain: the land (neither owned, both may be null).
    TypRooStall(const Poly& poly, const Extrusion& extrusion, TypBui* owner, const Terrain* terrain, uint32_t seed,
                const char* materialName);

    const ClassName& className() const override;
    // Heading "TypRooStall", then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // Floor, side screens (edges 0 and 2), counters (edges 1 and 3), canopy.
    void generate() override;

    const Terrain* terrain = nullptr;  // not owned

    static const ClassName kClassName;
};
