#pragma once
// A piece of a wall between two crossings: becomes one panel with its line
// and end crossings, so that its ends are mitred against the crossing elements.
#include <cstdint>
#include <memory>

#include "typology/construction/LinearConstruction.h"

class TypLinWallSection : public LinearConstruction {
public:
    TypLinWallSection(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                      const char* materialName);

    const ClassName& className() const override;
    // Heading "TypLinWallSection", the variants "Simple", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // 0: a section over the same line, extrusion, context, seed and material; else null.
    Drawable* createVariant(int index) override;
    // One TypLinPanelSimple over the section's line, extrusion, seed, material and context.
    void generate() override;

    // The section of the given kind (0 "Simple"), unattached; null for an unknown kind.
    static std::unique_ptr<LinearConstruction> createSection(int32_t kind, const Line& line,
                                                             const Extrusion& extrusion, Desc* context,
                                                             uint32_t seed, const char* materialName);

    uint8_t variant = 0;  // the variants entry's value

    static const ClassName kClassName;
};
