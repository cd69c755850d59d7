#pragma once
// A slab: a polygon extruded between two levels (ground slabs, ceilings,
// flat roofs).
#include <cstdint>

#include "typology/construction/Construction.h"

class TypConSlabSimple : public Construction {
public:
    TypConSlabSimple(const Poly& poly, const Extrusion& extrusion, Desc* context, uint32_t seed,
                     const char* materialName);

    const ClassName& className() const override;
    // Heading "TypConSlabSimple", then Construction's.
    void declareParameters(ParameterList& list) override;
    // One drawable with a drawn seed: a convex slab is an extruded polygon
    // mapped "Horizontal oblique" along its longest edge, any other a slab
    // drawable mapped "Horizontal". Fewer than 3 points: nothing.
    void generate() override;

    // Index of the longest edge (the first of equally long ones); 0 for an empty polygon.
    static int longestEdge(const Poly& poly);
    // The slab of c: drawable chosen by convexity; tiled floors are mapped
    // "Horizontal" in both cases (reference edge the longest when convex).
    static void addSlab(Construction& c, bool tiled);

    static const ClassName kClassName;
};
