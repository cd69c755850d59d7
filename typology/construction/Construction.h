#pragma once
// The base of the polygonal construction elements (pillars, slabs, floors):
// a polygon extruded vertically, made by a building or room (its context).
// Constructions are leaves of the tree and never stand behind an impostor.
#include <cstdint>

#include "core/Desc.h"

class Construction : public DescPoly {
public:
    // context: the building or room that made the element (not owned, may be null).
    Construction(const Poly& poly, const Extrusion& extrusion, Desc* context, uint32_t seed,
                 const char* materialName);

    const ClassName& className() const override;
    // Heading "Construction", then DescPoly's.
    void declareParameters(ParameterList& list) override;
    bool allowsImpostor() const override { return false; }

    Desc* context = nullptr;  // not owned

    // Adds to owner its one drawable: footprint extruded over extrusion (a
    // negative height reaching down, limits 0), with a drawn seed and a new
    // material bound to materialName, laid with mapping and referenceEdge.
    // A footprint of fewer than 3 points adds nothing (the seed is still drawn).
    static void addPrismTo(Desc& owner, const Poly& footprint, Extrusion extrusion, const char* materialName,
                           uint8_t mapping, uint8_t referenceEdge);

    static const ClassName kClassName;

protected:
    // addPrismTo this element with its extrusion and material name.
    void addPrism(const Poly& footprint, uint8_t mapping, uint8_t referenceEdge);
};
