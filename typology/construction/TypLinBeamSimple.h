#pragma once
// A beam: a panel laid horizontally (a lintel, or the beam under a ceiling
// between two corridor strips).
#include <cstdint>

#include "typology/construction/TypLinPanelSimple.h"

class TypLinBeamSimple : public TypLinPanelSimple {
public:
    TypLinBeamSimple(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                     const char* materialName);

    const ClassName& className() const override;
    // Heading "TypLinBeamSimple", then TypLinPanelSimple's.
    void declareParameters(ParameterList& list) override;
    // As the panel's, with a drawn seed and mapped "Horizontal oblique".
    void generate() override;

    static const ClassName kClassName;
};
