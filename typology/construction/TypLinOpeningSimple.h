#pragma once
// The opening that becomes a door or window frame (a sill under a window, a lintel over both). Generates nothing yet.
#include <cstdint>

#include "typology/construction/TypLinOpening.h"

class TypLinOpeningSimple : public TypLinOpening {
public:
    TypLinOpeningSimple(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                        const char* materialName);

    const ClassName& className() const override;

    static const ClassName kClassName;
};
