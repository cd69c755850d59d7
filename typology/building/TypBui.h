#pragma once
// The base of every building (the street pieces too): a prism over a plot
// polygon with a wall material, tested for collisions as that solid prism
// whether or not its content exists. Coordinates are the town's local ones
// (metres).
#include <cstdint>
#include <memory>

#include "core/Desc.h"
#include "core/Material.h"

class DescPolyLand;
class Terrain;

class TypBui : public DescPoly {
public:
    // poly: the plot piece, oriented; extrusion: ground level and the height
    // available to the building; ownerPlot: the land the building stands on
    // (not owned, may be null); wallMaterialName: null leaves it unbound.
    TypBui(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
           const char* materialName, const char* wallMaterialName);

    const ClassName& className() const override;
    // Heading "TypBui", the material entry "Wall material", then DescPoly's.
    void declareParameters(ParameterList& list) override;
    // Buildings, sites, street pieces and tree lines are drawn as groups.
    bool drawsAsGroup() const override { return true; }
    // The solid prism, children or not.
    bool collides(const Vector& from, const Vector& to) const override;
    // drawPlotShape with the main material.
    void drawOwnShape(RenderContext& ctx) override;
    // The building's own shape drawn with mainMaterial (not owned) where it
    // uses the main material: the plain prism for a building.
    virtual void drawPlotShape(RenderContext& ctx, Material* mainMaterial);

    // The owner plot's terrain, or null.
    const Terrain* plotTerrain() const;
    // Level := lowest terrain height under the polygon's points, height :=
    // highest - lowest + overHeight, bounds recomputed. Without a terrain:
    // nothing.
    void fitTo(const Terrain* terrain, float overHeight);

    DescPolyLand* ownerPlot = nullptr;  // not owned: the land the building stands on
    Material wallMaterial;              // "Wall material": partitions and plain walls

    // The name the main material is bound by, looking through an impostor
    // cover; null when unbound.
    const char* mainMaterialName() const;
    // A new material bound like the main material, with its mapping.
    std::unique_ptr<Material> mainMaterialCopy() const;

    static const ClassName kClassName;

protected:
    // Adds one child that draws this building's own shape, so that a refined
    // building still shows while it has no content of its own.
    void addOwnShapeStandIn();
};
