#pragma once
// A pillar: its polygon extruded, its texture mapped vertically
// along the first edge (pillar blocks, posts, balusters).
#include <cstdint>

#include "typology/construction/Construction.h"

class TypConPillarSimple : public Construction {
public:
    TypConPillarSimple(const Poly& poly, const Extrusion& extrusion, Desc* context, uint32_t seed,
                       const char* materialName);

    const ClassName& className() const override;
    // Heading "TypConPillarSimple", then Construction's.
    void declareParameters(ParameterList& list) override;
    // One extruded polygon with a drawn seed, mapped "Vertical oblique
    // rotated" along edge 0; a negative height reaches down from the level.
    void generate() override;

    static const ClassName kClassName;
};
