#pragma once
// A banister that climbs with a stair: its extrusion gives the floor level
// and the height at the line's start, "End limit" the floor level at its
// end (the height stays). Rails are sloping panels; posts and balusters stand
// on the floor level under them.
#include <cstdint>
#include <memory>

#include "typology/construction/TypLinBanister.h"

class TypLinBanisterSloping : public TypLinBanister {
public:
    TypLinBanisterSloping(const Line& line, const Extrusion& extrusion, float endLevel, Desc* context, uint32_t seed,
                          const char* materialName);

    const ClassName& className() const override;
    // Heading with the class name, the variants "Simple", "Cross", the
    // float "End limit", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // The sloping-banister factory with index over the same line, extrusions, context, seed and material.
    Drawable* createVariant(int index) override;
    // From the level at the start to the end level, linearly along the line.
    float levelAt(float s) const override;

    // 0 TypLinBanisterSloping, 1 TypLinBanisterSlopingCross, -1 the automatic
    // choice of the banister factory; unattached, null for an unknown kind.
    static std::unique_ptr<LinearConstruction> createSloping(int32_t kind, const Line& line,
                                                             const Extrusion& extrusion, float endLevel,
                                                             Desc* context, uint32_t seed, const char* materialName);

    float endLevel = 0;  // "End limit": the floor level at the line's end

    static const ClassName kClassName;

protected:
    // A sloping banister from the level at s0 to the level at s1.
    std::unique_ptr<TypLinBanister> piece(const Line& part, float s0, float s1, uint32_t seed) const override;
};
