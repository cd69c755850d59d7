#pragma once
// The flat roof of a court building whose wings have no corridor: a terrace
// over the whole plot, the court included. Until its parapet and stair house
// exist it is one flat slab over its polygon.
#include <cstdint>

#include "typology/building/TypRoo.h"

class TypRooCourtPlan;

class TypRooRoofCourtFlat : public TypRoo {
public:
    TypRooRoofCourtFlat(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                        const char* materialName, TypRooCourtPlan* plan);

    const ClassName& className() const override;
    // Heading, the variants "Flat"/"Tiled" at 0, then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // 0 flat, 1 tiled, through the plan's roof factory; else null.
    Drawable* createVariant(int index) override;
    void generate() override;

    // The variants entry "Flat" 0 / "Tiled" 1 over target.
    static void declareVariants(ParameterList& list, uint8_t* target);

    TypRooCourtPlan* plan = nullptr;  // not owned
    uint8_t variant = 0;

    // Thickness of the stand-in slab (metres).
    static constexpr float kSlabThickness = 0.3f;

    static const ClassName kClassName;
};
