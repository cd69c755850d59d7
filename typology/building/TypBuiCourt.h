#pragma once
// The court building: a ring of wings along the plot edges that carry a
// construction depth, around an open court. Its generation decides storeys,
// wall and corridor widths and the court polygon, and hands them to one court
// plan; a ground slab lies under the plot. A coarse court building is its
// prism in its main (roof) material.
#include <cstdint>
#include <vector>

class RandomGenerator;

#include "typology/building/TypBui.h"

struct LimitNames;

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
    // The court plan, then the ground slab under the plot.
    void generate() override;

    // Court vertex kinds: bit 8 a built wing meets the court, bit 32 a corner
    // of the inner ring, bits 1 and 2 the wing that owns a corner.
    static constexpr uint8_t kUnedificated = 32;
    static constexpr uint8_t kEdificatedCorner = 40;
    static constexpr uint8_t kEdificatedT = 8;
    static constexpr uint8_t kCornerIn = 41;
    static constexpr uint8_t kCornerOut = 42;
    // Buildings lower than this (metres) have no storey to give.
    static constexpr float kMinHeight = 4.0f;
    // The deepest wing an edit may ask for (metres): estates draw depths up
    // to 1.5 times their "Construction depth min", which goes up to 50. A
    // depth is 0 (unbuilt) or negative (inwards); a positive one would put
    // the court outside the plot.
    static constexpr float kMaxConstructionDepth = 75.0f;
    // The ground slab reaches this far below the building level (metres).
    static constexpr float kGroundDepth = 10.0f;

    // Storey count and stairs for a building height, with one draw of the
    // storey height from random. anyBuilt: some edge has a construction depth.
    static void storeys(float height, bool anyBuilt, RandomGenerator& random, int& floors, bool& putStairs);
    // The court polygon of plot with the given construction depths, drawing
    // the corner squaring, partition steps and corner ownership from random.
    // edges (when given) receives, for every court vertex, the plot edge that
    // the court segment starting there runs along.
    static Poly courtPolygon(const Poly& plot, const std::vector<float>& depths, float wallWidth,
                             RandomGenerator& random, std::vector<int>* edges = nullptr);

    // The building edge kinds: "Party Wall" 0, "Facade" 1, "Entry" 2, "Entry Facade" 3, "Passing" 4.
    static const LimitNames& limitNames();

    std::vector<float> constructionDepth;  // "Construction Depth", metres, one per edge
    bool courtClosed = false;              // "Court closed": no corridor, a terrace over the court

    static const ClassName kClassName;
};
