#pragma once
// A plain wall along a line: when detail is wanted it cuts itself at its
// crossings into wall sections and fills each gap with an opening.
#include <cstdint>

#include "typology/construction/TypLinWall.h"

class TypLinWallSimple : public TypLinWall {
public:
    // An unbound material is bound to "Brick1".
    TypLinWallSimple(const Line& line, const Extrusion& extrusion, Desc* context, int32_t sectionsKind,
                     int32_t openingsKind, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the variants "Wall simple"/"Portico", "Sections", "Openings",
    // then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // One section per piece between the cutting crossings below t = 1 and,
    // when there is more than one, an opening at every cutting crossing; each
    // child with a fresh seed, in the wall's material.
    void generate() override;

    static const ClassName kClassName;
};
