#pragma once
// A panel: the leaf that a wall section or a partition becomes, one extruded
// footprint. Until mitred footprints exist it is the line's outline prism.
#include <cstdint>

#include "typology/construction/LinearConstruction.h"

class TypLinPanelSimple : public LinearConstruction {
public:
    TypLinPanelSimple(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                      const char* materialName, float widthReduction = 0.0f);

    const ClassName& className() const override;
    // Heading, float "Width Reduction", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    void generate() override;

    float widthReduction = 0;  // "Width Reduction", metres

    static const ClassName kClassName;
};
