#pragma once
// A tiled floor: a thin slab on the ground storey, its tiles mapped
// horizontally.
#include <cstdint>

#include "typology/construction/Construction.h"

class TypConFloorTiled : public Construction {
public:
    TypConFloorTiled(const Poly& poly, const Extrusion& extrusion, Desc* context, uint32_t seed,
                     const char* materialName);

    const ClassName& className() const override;
    // Heading "TypConFloorTiled", then Construction's.
    void declareParameters(ParameterList& list) override;
    // One slab as TypConSlabSimple's, mapped "Horizontal" (referred to the
    // longest edge when convex).
    void generate() override;

    static const ClassName kClassName;
};
