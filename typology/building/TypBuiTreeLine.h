#pragma once
// A strip planted with trees along a street edge of a site: trees along its
// centre line on a raised bed. Until it is generated a tree line draws
// nothing, but it is solid for collisions like every building.
#include <cstdint>

#include "core/Line.h"
#include "typology/building/TypBui.h"

class TypBuiTreeLine : public TypBui {
public:
    // poly: the strip (four points); treeHeight: height of its trees (metres).
    TypBuiTreeLine(const Poly& poly, const Extrusion& extrusion, DescPolyLand* ownerPlot, uint32_t seed,
                   const char* materialName, float treeHeight);

    const ClassName& className() const override;
    // Heading "TypBuiTreeLine", float "Tree height" (0 to 100), then TypBui's.
    void declareParameters(ParameterList& list) override;
    // Nothing to show until the trees exist.
    void drawPlotShape(RenderContext& ctx, Material* mainMaterial) override;
    // Trees along the centre line, the kerb rail (an automatic banister on
    // the bed along one long side), then the bed (a slab over the strip from
    // its lowest ground to kKerbHeight above its mean ground).
    void generate() override;

    // Index of the strip's first end: the shorter pair of opposite edges are
    // its ends, 0 and 2 or 1 and 3. Asserts four points.
    static int firstEnd(const Poly& strip);
    // The strip's centre line: between the midpoints of its two ends.
    static Segment centreLine(const Poly& strip);
    // The kerb rail's line: the long edge after the centre line's start,
    // moved kRailInset onto the strip.
    static Line kerbLine(const Poly& strip);
    // Trees are this many times the trunk's standard size: the tree height
    // over kHeightPerScale, within [kMinScale, kMaxScale].
    static float treeScale(float treeHeight);

    // The first tree stands [kFirstMin, kFirstMax) from the start, each next
    // [kSpacingMin, kSpacingMax) further on, none nearer the end than kEndClearance.
    static constexpr float kFirstMin = 2.0f, kFirstMax = 5.0f;
    static constexpr float kSpacingMin = 7.0f, kSpacingMax = 10.0f;
    static constexpr float kEndClearance = 1.5f;
    static constexpr float kHeightPerScale = 8.0f, kMinScale = 0.25f, kMaxScale = 2.0f;
    static constexpr float kKerbHeight = 0.3f;
    static constexpr float kRailHeight = 0.6f, kRailWidth = 0.1f, kRailInset = 0.05f;
    static constexpr const char* kRailMaterial = "Wood1";

    float treeHeight = 0;  // "Tree height", metres

    static const ClassName kClassName;
};
