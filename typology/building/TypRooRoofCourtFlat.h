#pragma once
// The flat roof of a court building whose wings have no corridor: a walkable
// terrace over the whole plot, the court included, behind a low parapet, and
// a small stair house over the plan's stairs room when it has one.
#include <cstdint>

#include "typology/building/TypRoo.h"

class TypRooCourtPlan;
struct ClipPolygon;

class TypRooRoofCourtFlat : public TypRoo {
public:
    TypRooRoofCourtFlat(const Poly& poly, const Extrusion& extrusion, TypBui* owner, uint32_t seed,
                        const char* materialName, TypRooCourtPlan* plan);

    const ClassName& className() const override;
    // Heading, the variants "Flat"/"Tiled" at 0, then TypRoo's.
    void declareParameters(ParameterList& list) override;
    // 0 flat, 1 tiled, through the plan's roof factory; else null.
    Drawable* createVariant(int index) override;
    // Parapet panels, the terrace slab, then the stair house and its top. A
    // roof not higher than kMinHeight has no room for a stair house and stays coarse.
    void generate() override;

    // The variants entry "Flat" 0 / "Tiled" 1 over target.
    static void declareVariants(ParameterList& list, uint8_t* target);

    // The plan's court polygon reduced to its corners (the points with bit 32),
    // each marked 8 when a wing meets it, else 0: vertex i faces edge i of a
    // plot of n points. False (ring empty) without a plan or when the corners
    // do not match the plot's n points.
    static bool innerRing(const TypRooCourtPlan* plan, int n, Poly& ring);
    // The plan leaves the court open to the sky (corridors, or no wing at all).
    static bool planOpen(const TypRooCourtPlan* plan);
    // Index of the plan's first stairs room, or -1.
    static int stairsRoom(const TypRooCourtPlan* plan);
    // One panel per edge of every contour of shape (edges shorter than width
    // merged into their neighbours), width wide, the panels
    // of one contour mitred into each other at the corners, standing on
    // extrusion, each with a fresh seed and the owner building's wall material.
    static void addContourPanels(TypRoo& roof, const ClipPolygon& shape, float width, const Extrusion& extrusion);
    // The lines of a closed contour, width wide, joined at the corners along
    // the bisectors of their directions.
    static std::vector<Line> joinedLines(const Poly& contour, float width);

    TypRooCourtPlan* plan = nullptr;  // not owned
    uint8_t variant = 0;

    // A flat roof must be higher than this to hold a stair house (metres).
    static constexpr float kMinHeight = 2.0f;
    // The parapet's line runs this far inside the roof edge, this wide;
    // without a stair house it is this high, else between the two heights.
    static constexpr float kParapetInset = 0.15f;
    static constexpr float kParapetWidth = 0.29f;
    static constexpr float kLowParapet = 0.1f;
    static constexpr float kParapetMin = 0.8f, kParapetMax = 1.0f;
    // The terrace surface keeps this far from the roof edge, the court and the stair house, and is this thick.
    static constexpr float kTerraceInset = 0.3f;
    static constexpr float kTerraceThickness = 0.02f;
    // The tiled top of the stair house: its thickness.
    static constexpr float kTopThickness = 0.05f;

    static const ClassName kClassName;
};
