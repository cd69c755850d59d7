#pragma once
// A banister whose rails are joined by an X of bars over each third of its
// length, with a post at each end and at each third.
#include <cstdint>

#include "typology/construction/TypLinBanister.h"

class TypLinBanisterCross : public TypLinBanister {
public:
    TypLinBanisterCross(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                        const char* materialName);

    const ClassName& className() const override;
    // Rails, then (from 0.1 m on) four posts and six bars.
    void generate() override;

    static const ClassName kClassName;
};
