#pragma once
// A straight flight of steps over a 4-point strip: it climbs from its
// "Begin" edge to the opposite "End" edge in equal steps, one slab each,
// with a sloping banister along its "Banister" edge. Its extrusion reaches
// from the foot up by the climb and the banister height.
#include <cstdint>

#include "typology/construction/Construction.h"

struct LimitNames;

class TypConStairsStraight : public Construction {
public:
    // Edge kinds of its strip.
    static constexpr uint8_t kWall = 1, kBegin = 2, kEnd = 3, kBanister = 5;
    // The banister stands 0.04 m in from its edge, 0.1 m wide, 0.1 m below the nosings' line.
    static constexpr float kBanisterInset = 0.04f;
    static constexpr float kBanisterWidth = 0.1f;
    static constexpr float kBanisterDrop = 0.1f;

    // extrusion: the foot's level and the climb; the height stored is climb + banisterHeight.
    TypConStairsStraight(const Poly& poly, const Extrusion& extrusion, int32_t steps, float banisterHeight,
                         Desc* context, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the polygon with the limit names "Wall" 1, "Begin" 2, "End" 3,
    // "Banister" 5, "Num. Steps", "Banister height", then Construction's.
    void declareParameters(ParameterList& list) override;
    // One slab per step, then the sloping banister (automatic kind), each
    // with a fresh seed. A strip edited into something else (not 4 points,
    // no Begin edge with the End edge opposite it, no step) stays coarse.
    void generate() override;

    float climb() const { return extrusion.height - banisterHeight; }
    // The edge of the given kind, or -1.
    int edgeOf(uint8_t kind) const;

    static const LimitNames& limitNames();

    int32_t steps = 1;          // "Num. Steps", at least 1
    float banisterHeight = 0;   // "Banister height"

    static const ClassName kClassName;
};
