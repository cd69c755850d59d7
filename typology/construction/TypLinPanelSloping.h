#pragma once
// A panel that rises or falls along its line: the ordinary extrusion gives
// level and height at the start, the end extrusion those at the end.
#include <cstdint>

#include "typology/construction/LinearConstruction.h"

class TypLinPanelSloping : public LinearConstruction {
public:
    TypLinPanelSloping(const Line& line, const Extrusion& start, const Extrusion& end, Desc* context, uint32_t seed,
                       const char* materialName);

    const ClassName& className() const override;
    // Heading "TypLinPanelSloping", the end extrusion under the heading
    // "End limit", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // One sloping panel over the line's square-ended or mitred footprint,
    // with a drawn seed, mapped "Vertical" along edge 1. An empty footprint
    // adds nothing.
    void generate() override;

    Extrusion endExtrusion;  // "End limit"

    static const ClassName kClassName;
};
