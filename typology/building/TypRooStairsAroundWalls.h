#pragma once
// A stairs room: walls as an ordinary room, and inside a stair that climbs
// one storey by running around the walls in straight flights, one per side
// after the corridor side, leaving a well in the middle. Landings join the
// flights where one ends and the next begins; at the top the floor of the
// storey above is laid around the well as galleries whose banisters guard it.
// The stair's three dimensions are drawn from the building's seed, so every
// stairs room of a building gets the same stair, and kept once drawn.
#include <cstdint>
#include <vector>

#include "typology/building/TypRooSimple.h"

class TypRooStairsAroundWalls : public TypRooSimple {
public:
    // Landings and galleries: a 0.3 m slab under a 1 m banister 0.1 m wide.
    static constexpr float kBanisterHeight = 1.0f;
    static constexpr float kBanisterWidth = 0.1f;
    // The stair ring is narrowed in steps of 0.1 m while it is wider than 0.3 m.
    static constexpr float kMinStairsWidth = 0.3f;
    static constexpr float kWidthStep = 0.1f;
    // A stair that does not fit takes steps 3 cm higher and 2 cm shorter, up to risers of 0.3 m.
    static constexpr float kRiserStep = 0.03f;
    static constexpr float kTreadStep = 0.02f;
    static constexpr float kMaxRiser = 0.3f;
    // Below this tread a stair is no stair (only edited values get there).
    static constexpr float kMinTread = 0.05f;
    // Rounding allowance when counting steps: 3.2 / 0.2 is 16 steps, not 17.
    static constexpr float kCountTolerance = 1e-4f;

    // A flight: its 4-point strip (Wall, End, Banister, Begin edges), the
    // level of its foot and its steps.
    struct Flight {
        Poly poly;
        float level = 0;
        int steps = 0;
    };
    // A landing or gallery piece: its polygon (Wall 1, Banister 5, open 0) and floor level.
    struct Platform {
        Poly poly;
        float floor = 0;
    };
    // Where the stair goes. fitted is false when no stair fits: then nothing
    // else is filled in.
    struct Layout {
        bool fitted = false;
        float width = 0;   // the ring's width used
        float riser = 0;   // the actual riser
        float tread = 0;   // the step width used where a side is not filled
        int steps = 0;     // N
        std::vector<Platform> landings;   // the top landing first, then the corner landings in order
        std::vector<Flight> flights;      // in climbing order
        std::vector<Platform> galleries;  // the rest of the floor above, around the well
        Poly well;                        // the open middle
    };

    TypRooStairsAroundWalls(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                            const char* materialName, const std::vector<Line>* wallList, bool ceiling,
                            int32_t facades, int32_t wallSections, int32_t openings);

    const ClassName& className() const override;
    // Heading, "Stairs width", "Step width", "Step height", then TypRooSimple's.
    void declareParameters(ParameterList& list) override;
    // Dimensions (while "Stairs width" is 0), walls, then landings, flights
    // and galleries, each with a fresh seed, when a stair fits.
    void generate() override;

    // Draws the three dimensions from a generator seeded with seed, in this
    // order: stairs width 0.7 + 0.6 u, step width 0.2 + 0.1 u, step height 0.15 (1 + u).
    static void drawDimensions(int32_t seed, float& stairsWidth, float& stepWidth, float& stepHeight);
    // Risers needed for a storey: ceil(height / stepHeight), 0 when that is not a usable count.
    static int stepCount(float storeyHeight, float stepHeight);
    // Steps a side of the given length takes with `remaining` still to place,
    // and its tread: all that remain at the step width when its capacity
    // floor(length / stepWidth) exceeds them, else its capacity spread over
    // its length.
    static int sideSteps(float length, float stepWidth, int remaining, float& tread);
    // The stair in inner (its edge 0 the corridor side, positively oriented)
    // for a storey at level of the given height.
    static Layout layout(const Poly& inner, float level, float height, float stairsWidth, float stepWidth,
                         float stepHeight);

    float stairsWidth = 0;  // "Stairs width": 0 until drawn
    float stepWidth = 0;    // "Step width"
    float stepHeight = 0;   // "Step height"
    // The open middle of the stair the last generation built; empty when
    // none fitted (or before generation).
    Poly well;

    static const ClassName kClassName;
};
