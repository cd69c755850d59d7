#pragma once
// The base of the linear construction elements (walls, porticos, panels,
// beams): a Line with its width and crossings standing on an extrusion, made
// by a building or room (its context). Never behind an impostor.
#include <cstdint>

#include "core/Desc.h"

class LinearConstruction : public DescLine {
public:
    // context: the building or room that made the element (not owned, may be null).
    LinearConstruction(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                       const char* materialName);

    const ClassName& className() const override;
    // Heading "Linear Construction", then DescLine's.
    void declareParameters(ParameterList& list) override;
    bool allowsImpostor() const override { return false; }

    Desc* context = nullptr;  // not owned

    static const ClassName kClassName;

};
