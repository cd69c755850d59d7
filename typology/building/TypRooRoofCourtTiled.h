#pragma once
// The roof of a court building with corridors: pitched pieces over every
// built wing. Until those exist it is one flat slab over the ring between the
// plot and its open court.
#include <cstdint>

#include "typology/building/TypRoo.h"

class TypRooCourtPlan;

class TypRooRoofCourtTiled : public TypRoo {
public:
    TypRooRoofCourtTiled(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                         const char* materialName, TypRooCourtPlan* plan);

    const ClassName& className() const override;
    // Heading, the variants "Flat"/"Tiled" at 1, then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // As the flat roof's.
    Drawable* createVariant(int index) override;
    void generate() override;

    TypRooCourtPlan* plan = nullptr;  // not owned
    uint8_t variant = 1;

    static const ClassName kClassName;
};
