#pragma once
// The buildings an estate hands its plot pieces to. TypBui is the base of
// every building (the street pieces too): a prism over a plot polygon with a
// wall material, tested for collisions as that solid prism whether or not its
// content exists. TypBuiCourt is a ring of wings around an open court;
// TypBuiSite an unbuilt site (garden or yard).
//
// Until their content is generated, a refined court building shows its prism
// in its wall material and a site its ground on the terrain. A coarse court
// building is its prism in its main (roof) material.
// Coordinates are the town's local ones (metres).
#include <cstdint>
#include <vector>

#include "core/Desc.h"
#include "core/Material.h"

class DescPolyLand;
class Terrain;
struct LimitNames;

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

    static const ClassName kClassName;

protected:
    // Adds one child that draws this building's own shape, so that a refined
    // building still shows while it has no content of its own.
    void addOwnShapeStandIn();
};

class TypBuiCourt : public TypBui {
public:
    // depths: "Construction Depth", one per polygon edge, 0 for an unbuilt
    // edge, negative (the inward offset) for a wing; copied.
    TypBuiCourt(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
                const char* roofMaterialName, const char* wallMaterialName, std::vector<float> depths,
                bool courtClosed);

    const ClassName& className() const override;
    // Heading "TypBuiCourt", the polygon with the building edge kinds,
    // "Construction Depth[i]", "Court closed", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // The prism in the main material (or the impostor covering it).
    void drawOwnShape(RenderContext& ctx) override;
    // The stand-in's prism: in the wall material.
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Until the court plan is generated: the stand-in for the own shape.
    void generate() override;

    // The building edge kinds: "Party Wall" 0, "Facade" 1, "Entry" 2, "Entry Facade" 3, "Passing" 4.
    static const LimitNames& limitNames();

    std::vector<float> constructionDepth;  // "Construction Depth", metres, one per edge
    bool courtClosed = false;              // "Court closed": no corridor, a terrace over the court

    static const ClassName kClassName;
};

class TypBuiSite : public TypBui {
public:
    // overHeight: height of the trees along the street edges (metres).
    TypBuiSite(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
               const char* materialName, float overHeight);

    const ClassName& className() const override;
    // Heading "TypBuiSite", float "Over height", then TypBui's.
    void declareParameters(ParameterList& list) override;
    // Fits to the owner plot's terrain with the over height.
    void fitToTerrain() override;
    // The ground on the owner plot's terrain (the prism without one).
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Until tree lines and ground tiles are generated: the stand-in for the own shape.
    void generate() override;

    float overHeight = 0;  // "Over height", metres

    static const ClassName kClassName;
};
