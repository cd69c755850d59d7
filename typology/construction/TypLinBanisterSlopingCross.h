#pragma once
// A sloping banister whose rails are joined by an X of bars over each third.
#include <cstdint>

#include "typology/construction/TypLinBanisterSloping.h"

class TypLinBanisterSlopingCross : public TypLinBanisterSloping {
public:
    TypLinBanisterSlopingCross(const Line& line, const Extrusion& extrusion, float endLevel, Desc* context,
                               uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // As the cross banister's, climbing.
    void generate() override;

    static const ClassName kClassName;
};
