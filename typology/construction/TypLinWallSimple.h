#pragma once
// A plain wall along a line. Until walls cut themselves into sections and
// openings, a wall shows as its outline prism in its material.
#include <cstdint>

#include "typology/construction/LinearConstruction.h"

class TypLinWallSimple : public LinearConstruction {
public:
    // Sections kinds: "Simple" 0. Openings kinds: "Empty" 0, "Simple" 1, "Banister" 2, "Balcony" 3.
    enum Openings : int32_t { kOpeningsEmpty = 0, kOpeningsSimple = 1, kOpeningsBanister = 2, kOpeningsBalcony = 3 };

    // An unbound material is bound to "Brick1".
    TypLinWallSimple(const Line& line, const Extrusion& extrusion, Desc* context, int32_t sectionsKind,
                     int32_t openingsKind, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading, the variants "Wall simple"/"Portico", "Sections", "Openings",
    // then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // 0: a plain wall, 1: a portico, over the same line, extrusion, kinds,
    // context, seed and material; else null.
    Drawable* createVariant(int index) override;
    void generate() override;

    // Makes a wall of the given variant (0 plain, 1 portico; else null).
    static LinearConstruction* make(int variant, const Line& line, const Extrusion& extrusion, Desc* context,
                                    int32_t sectionsKind, int32_t openingsKind, uint32_t seed,
                                    const char* materialName);
    // Declares the variants entry at value, "Sections" and "Openings" over the targets.
    static void declareWallEntries(ParameterList& list, uint8_t* variant, int32_t* sectionsKind,
                                   int32_t* openingsKind);

    int32_t sectionsKind = 0;  // "Sections"
    int32_t openingsKind = 0;  // "Openings"
    uint8_t variant = 0;       // the variants entry's value

    static const ClassName kClassName;
};
