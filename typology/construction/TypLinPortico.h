#pragma once
// A portico along a line: pillars under a lintel. Until its own generation
// exists it shows as its outline prism in its material.
#include <cstdint>

#include "typology/construction/LinearConstruction.h"

class TypLinPortico : public LinearConstruction {
public:
    TypLinPortico(const Line& line, const Extrusion& extrusion, Desc* context, int32_t sectionsKind,
                  int32_t openingsKind, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the variants "Wall simple"/"Portico" at 1, "Sections",
    // "Openings", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // As the plain wall's.
    Drawable* createVariant(int index) override;
    void generate() override;

    int32_t sectionsKind = 0;  // "Sections"
    int32_t openingsKind = 0;  // "Openings"
    uint8_t variant = 1;       // the variants entry's value

    static const ClassName kClassName;
};
