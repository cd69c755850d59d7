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

    static const ClassName kClassName;

protected:
    // Adds the one drawable of the element: footprint extruded over the
    // extrusion (a negative height reaching down), with a drawn seed and a new
    // material bound to this element's material name, laid with mapping and
    // referenceEdge.
    void addPrism(const Poly& footprint, uint8_t mapping, uint8_t referenceEdge);
};
