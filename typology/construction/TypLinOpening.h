#pragma once
// What fills the gap a crossing leaves in a wall: nothing ("Empty"), a door
// or window frame, a banister or a balcony. The opening's line limit tells a
// door (2) from a window (3); a gap of any other limit stays as it is. No
// opening draws a shape of its own.
#include <cstdint>
#include <memory>

#include "typology/construction/LinearConstruction.h"

class TypLinOpening : public LinearConstruction {
public:
    TypLinOpening(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                  const char* materialName);

    const ClassName& className() const override;
    // Heading with the class name, the variants "Empty", "Simple",
    // "Banister", "Balcony", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // createOpening with index over the same line, extrusion, context, seed and material.
    Drawable* createVariant(int index) override;
    void drawOwnShape(RenderContext&) override {}

    // 0 TypLinOpening, 1 TypLinOpeningSimple, 2 TypLinOpeningBanister,
    // 3 TypLinOpeningBalcony, unattached; null for an unknown kind.
    static std::unique_ptr<LinearConstruction> createOpening(int32_t kind, const Line& line,
                                                             const Extrusion& extrusion, Desc* context,
                                                             uint32_t seed, const char* materialName);

    // Opening line limits: the gap is a door or a window.
    static constexpr uint8_t kDoor = 2, kWindow = 3;
    // Doors and windows are 2 m high; a window sill at most 1 m.
    static constexpr float kHeadHeight = 2.0f;
    static constexpr float kSillHeight = 1.0f;
    // True when the line's limit makes the gap a door or a window: only then
    // does an opening of any kind build something in it.
    bool opens() const { return line.limit == kDoor || line.limit == kWindow; }

    uint8_t variant = 0;  // the variants entry's value

    static const ClassName kClassName;
};
