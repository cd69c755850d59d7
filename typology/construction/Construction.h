#pragma once
// The base of the polygonal construction elements (pillars, slabs, floors):
// a polygon extruded vertically, made by a building or room (its context).
// Constructions are leaves of the tree and never stand behind an impostor.
#include <cstdint>
#include <memory>

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

    // A negative height lowers the level by its size and is taken positive; limits 0.
    static Extrusion normalised(Extrusion extrusion);
    // A new material bound to materialName, laid with mapping and referenceEdge.
    static std::unique_ptr<Material> leafMaterial(const char* materialName, uint8_t mapping, uint8_t referenceEdge);
    // Makes owner the parent of leaf and adds it as a child.
    static void attach(Desc& owner, std::unique_ptr<Drawable> leaf);
    // Adds to owner its one drawable: footprint extruded over the normalised
    // extrusion with the given seed and a new material bound to materialName.
    // A footprint of fewer than 3 points adds nothing.
    static void addPrismTo(Desc& owner, const Poly& footprint, const Extrusion& extrusion, uint32_t drawableSeed,
                           const char* materialName, uint8_t mapping, uint8_t referenceEdge);

    static const ClassName kClassName;
};
