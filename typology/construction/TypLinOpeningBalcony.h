#pragma once
// The opening that becomes a balcony: a platform 0.2 to 0.7 m deep in front
// of the wall's outer face (the left of the line), and a beam over the gap
// from 2 m up.
#include <cstdint>

#include "typology/construction/TypLinOpening.h"

class TypLinOpeningBalcony : public TypLinOpening {
public:
    static constexpr float kBanisterHeight = 0.9f;
    static constexpr float kBanisterWidth = 0.1f;

    TypLinOpeningBalcony(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                         const char* materialName);

    const ClassName& className() const override;
    // For a door or window: depth = 0.2 + 0.5 u, a TypConBalcony in "Wood1"
    // at the opening's level with a fresh seed, then, when the opening is
    // higher than 2 m, a lintel beam with a fresh seed.
    void generate() override;

    // The platform in front of line: from its outer face (half its width out)
    // depth further out; its edge along the wall "Wall", the other three
    // "Banister", positively oriented.
    static Poly platform(const Line& line, float depth);

    static const ClassName kClassName;
};
