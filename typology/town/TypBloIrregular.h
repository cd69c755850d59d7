#pragma once
// The block: a piece of a quarter between quarter streets or dividing lines.
// It cuts itself by straight lines into estates of roughly "Estates side"
// squared. In an urban block long cuts become streets of random width and
// short ones "Party" lines; in a rustic block every cut is a "Party" line.
// Each final piece becomes an estate: a court estate when the block is urban
// and the piece small, else a rustic estate. TypBlo holds the block's data;
// TypBloIrregular adds the parameters and the split.
// Coordinates are the town's local ones (metres); the land is the town's.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"

class LandPoly;
class TypQua;

class TypBlo : public DescPolyLand {
public:
    // Added to the bounding radius so the block's own shape is never culled a hair too early.
    static constexpr float kRadiusMargin = 0.7f;

    // poly in town-local coordinates; nodes: the quarter's nodes at each point
    // (not owned); estatesSide in metres; land: the town's land reference (not
    // owned, may be null); parentQuarter: not owned, may be null.
    TypBlo(const Poly& poly, std::vector<GraphNode*> nodes, float estatesSide, float overHeight, bool urban,
           const Terrain* land, TypQua* parentQuarter, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypBlo", float "Estates side", bool "Urban", then DescPolyLand's.
    void declareParameters(ParameterList& list) override;

    float estatesSide = 0;             // "Estates side", metres
    TypQua* parentQuarter = nullptr;   // not owned: the quarter that made it
    bool urban = false;                // "Urban"

    static const ClassName kClassName;
};

class TypBloIrregular : public TypBlo {
public:
    // Urban pieces up to this area become court estates (square metres).
    static constexpr float kCourtEstateArea = 2500.0f;
    // Street widths are drawn from [kMinStreetWidth, max(kMaxStreetWidth, estates side / 2)).
    static constexpr float kMinStreetWidth = 5.4f;
    static constexpr float kMaxStreetWidth = 10.8f;
    // What a court estate is handed: its least construction depth and its
    // least largest court side (metres).
    static constexpr float kConstructionDepthMin = 6.0f;
    static constexpr float kMinMaxCourtSide = 10.0f;

    // winding in radians; minStreetLength in metres (cuts up to this long
    // stay "Party" lines); widths: one per point, copied.
    TypBloIrregular(const Poly& poly, std::vector<GraphNode*> nodes, float estatesSide, float overHeight, bool urban,
                    const Terrain* land, TypQua* parentQuarter, uint32_t seed, const char* materialName,
                    float winding, float minStreetLength, std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypBloIrregular", float choice "Winding (angle)", float "Min
    // street length" only when urban, then TypBlo's.
    void declareParameters(ParameterList& list) override;
    // Estates along a recursive split by straight cuts, then one DrawableGraph
    // showing the block's streets. Nothing for fewer than 3 points.
    void generate() override;

    // The recursive split of one piece (adds estates as children).
    void splitBlock(LandPoly& piece);
    // A court or rustic estate over the piece, added as a child. Nothing for
    // fewer than 3 points.
    void makeEstate(const LandPoly& piece, float area);

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    float winding = 0;          // "Winding (angle)", radians
    float minStreetLength = 0;  // "Min street length", metres

    static const ClassName kClassName;
};
