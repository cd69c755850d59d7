#pragma once
// One four-sided pitched roof piece with its own height at every corner: the
// tiled court roof lays one per slope of a wing, and it can stand on its own.
// Its edges say what closes them: eaves get a beam, gables a panel, edges
// meeting a neighbouring piece nothing.
#include <cstdint>

#include "typology/building/TypRoo.h"

class TypRooGable : public TypRoo {
public:
    // Edge kinds of the piece's polygon.
    static constexpr uint8_t kEaves = 1;                // lower edge of the slope
    static constexpr uint8_t kGableTop = 2;             // sloping edge over a gable
    static constexpr uint8_t kGableOverlap = 3;         // meets the neighbouring piece
    static constexpr uint8_t kGableWall = 4;            // sloping edge closed by a wall
    static constexpr uint8_t kGableOverlapReverse = 5;  // overlap seen from the other side

    // heights: the four corner heights over the level; projecting: the eaves' overhang.
    TypRooGable(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed, const char* materialName,
                const float heights[4], float projecting);

    const ClassName& className() const override;
    // Heading, the polygon with the five edge kinds, "Height", "Projecting", then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // The elements along its edges in edge order, then the roof surface.
    // A polygon without exactly 4 points or without an eaves edge cannot be
    // grown: the piece stays coarse.
    void generate() override;

    // Index of the first eaves edge, or -1.
    int referenceEdge() const;
    // Absolute height of corner i.
    float cornerHeight(int i) const { return heights[i] + extrusion.level + kSurfaceLift; }
    // How far inside edge i its element lies (half the element's width).
    float overhang(int i) const;

    static const LimitNames& edgeNames();

    float heights[4] = {0, 0, 0, 0};  // "Height", over the level
    float projecting = 0;             // "Projecting", metres

    // What "Height[i]" and "Projecting" take (metres).
    static constexpr float kMaxHeight = 100.0f;
    static constexpr float kMaxProjecting = 10.0f;
    // The surface lies this far above the corner heights, and is this thick.
    static constexpr float kSurfaceLift = 0.3f;
    static constexpr float kSurfaceThickness = 0.05f;
    // Overhang of eaves without a projection and of gables (metres).
    static constexpr float kMinOverhang = 0.2f;
    // Eaves beam height; gable panels reach this far below the level (metres).
    static constexpr float kBeamHeight = 0.25f;
    static constexpr float kPanelDrop = 0.05f;
    // A gable top whose ends differ by no more than this is level (metres).
    static constexpr float kLevelGable = 0.05f;

    static const ClassName kClassName;
};
