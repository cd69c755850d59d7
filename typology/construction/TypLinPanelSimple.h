#pragma once
// A panel: the leaf that a wall section or a partition becomes, its line's
// footprint (mitred at the crossings of its ends) extruded. Every panel of a
// building takes the building's seed for its drawable, so the wall texture
// runs on from panel to panel.
#include <cstdint>

#include "typology/construction/LinearConstruction.h"

class TypLinPanelSimple : public LinearConstruction {
public:
    // Limits of the footprint's edges: the two ends and the two long sides.
    static constexpr uint8_t kStartEnd = 0, kEndEnd = 1, kLeftSide = 3, kRightSide = 2;

    TypLinPanelSimple(const Line& line, const Extrusion& extrusion, Desc* context, uint32_t seed,
                      const char* materialName, float widthReduction = 0.0f);

    const ClassName& className() const override;
    // Heading, float "Width Reduction", then Linear Construction's.
    void declareParameters(ParameterList& list) override;
    // One extruded footprint mapped "Vertical oblique" along edge 1, seeded
    // with the context's seed (its own without a context). An empty footprint
    // adds nothing.
    void generate() override;

    // The outline of line with its ends cut by the crossings at t = 0 and
    // t = 1: start corners (right side first), then end corners (left side
    // first), so the left long side is edge 1 and carries kLeftSide, the
    // right one kRightSide. A reduction r with 0 < |r| < width moves the
    // kLeftSide (r > 0) or kRightSide (r < 0) side inwards so that |r| of
    // the width is left, when that inset is possible. Empty when the result is no valid polygon (a
    // line without length or width, ends that cross each other).
    static Poly footprint(const Line& line, float reduction);

    float widthReduction = 0;  // "Width Reduction", metres

    static const ClassName kClassName;

protected:
    // Adds the drawable: footprint(line, widthReduction) over the normalised
    // extrusion with the given seed, laid with mapping along edge 1.
    void addFootprint(uint32_t drawableSeed, uint8_t mapping);
};
