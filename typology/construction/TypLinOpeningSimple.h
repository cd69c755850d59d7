#pragma once
// The opening that becomes a door or window frame: a sill under a window, a
// lintel over both, in the wall's material.
#include <cstdint>

#include "typology/construction/TypLinOpening.h"

class TypLinOpeningSimple : public TypLinOpening {
public:
    TypLinOpeningSimple(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                        const char* materialName);

    const ClassName& className() const override;
    // A window (limit 3) gets a sill from the level up to at most 1 m; a door
    // or a window higher than 2 m a lintel from 2 m up to the top. Each a
    // panel with a fresh seed; nothing for any other limit.
    void generate() override;

    static const ClassName kClassName;
};
