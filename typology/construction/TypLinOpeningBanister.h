#pragma once
// The opening that becomes a banister 0.9 m high under a lintel as thick as
// the wall is wide (the gaps of a gallery along a court).
#include <cstdint>

#include "typology/construction/TypLinOpening.h"

class TypLinOpeningBanister : public TypLinOpening {
public:
    static constexpr float kBanisterHeight = 0.9f;

    TypLinOpeningBanister(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                          const char* materialName);

    const ClassName& className() const override;
    // For a door or window: an automatic banister in "Wood1" on the opening
    // line, then the lintel panel at the top; each with a fresh seed.
    void generate() override;

    static const ClassName kClassName;
};
