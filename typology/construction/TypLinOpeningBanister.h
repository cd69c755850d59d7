#pragma once
// The opening that becomes a banister across the gap under a lintel. Generates nothing yet.
#include <cstdint>

#include "typology/construction/TypLinOpening.h"

class TypLinOpeningBanister : public TypLinOpening {
public:
    TypLinOpeningBanister(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                          const char* materialName);

    const ClassName& className() const override;

    static const ClassName kClassName;
};
