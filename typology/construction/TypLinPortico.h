#pragma once
// A portico along a line: pillar blocks between its openings, a wall
// section at each end and a lintel over the whole length.
#include <cstdint>

#include "typology/construction/TypLinWall.h"

class TypLinPortico : public TypLinWall {
public:
    // Pillars and lintel are never thinner than this (metres).
    static constexpr float kMinThickness = 0.3f;

    TypLinPortico(const Line& line, const Extrusion& extrusion, Desc* context, int32_t sectionsKind,
                  int32_t openingsKind, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the variants "Wall simple"/"Portico" at 1, "Sections",
    // "Openings", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // Cut as a wall: the first and last pieces become wall sections in the
    // context's material, the pieces between pillar blocks in the portico's;
    // then the lintel and an opening at every cutting crossing, each child
    // with a fresh seed in that order. Everything but the lintel stands
    // below it.
    void generate() override;

    static const ClassName kClassName;
};
