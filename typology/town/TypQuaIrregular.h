#pragma once
// The quarter: a piece of a town between town streets. At construction it
// asks the municipality's population field whether it is urban; an urban
// quarter is cut into blocks by straight streets, a rustic one by straight
// "Party" lines that carry no streets. For every block it then settles the
// block's character: estate side, building height (over height), urban flag,
// minimum street length and ground material. TypQua holds the urban flag;
// TypQuaIrregular adds the parameters and the split into blocks.
// Coordinates are the town's local ones (metres); the land is the town's.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"

class LandPoly;
class TypTow;

class TypQua : public DescPolyLand {
public:
    // Added to the bounding radius so the quarter's own shape is never culled a hair too early.
    static constexpr float kRadiusMargin = 0.7f;
    // Population field value above which a quarter is urban.
    static constexpr float kUrbanField = 15.0f;

    // poly in town-local coordinates; nodes: the town's nodes at each point
    // (not owned); land: the town's land reference (not owned, may be null:
    // flat ground); parentTown: not owned, may be null (then the quarter is
    // rustic: there is no population field to ask). An urban quarter rebinds
    // its material to "Slate1".
    TypQua(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
           TypTow* parentTown, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypQua", bool "Urban", then DescPolyLand's.
    void declareParameters(ParameterList& list) override;

    // The population field at a town-local ground point (carried into the
    // municipality's coordinates by the town's transform); 0 without a town
    // or municipality.
    float populationAt(const Vec2& local) const;

    TypTow* parentTown = nullptr;  // not owned: the town that made it
    bool urban = false;            // "Urban"

    static const ClassName kClassName;
};

class TypQuaIrregular : public TypQua {
public:
    // Block area the town hands down, square metres.
    static constexpr float kDefaultBlockArea = 22500.0f;
    // A cut is undone when its first piece holds less or more than these shares of the area...
    static constexpr float kMinCutRatio = 0.1f;
    static constexpr float kMaxCutRatio = 0.9f;
    // ...or when that piece's perimeter is less than this many cut lengths (a sliver).
    static constexpr float kMinPerimeterRatio = 2.5f;
    // Quarter streets are this wide (metres).
    static constexpr float kStreetWidth = 5.0f;

    // blockArea in square metres; winding in radians; widths: one per point, copied.
    TypQuaIrregular(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
                    TypTow* parentTown, uint32_t seed, const char* materialName, float blockArea, float winding,
                    std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypQuaIrregular", float "Block area", float choice "Winding
    // (angle)", then TypQua's.
    void declareParameters(ParameterList& list) override;
    // Blocks along a recursive split by straight cuts, then one DrawableGraph
    // showing the quarter's streets. Nothing for fewer than 3 points.
    void generate() override;

    // The recursive split of one piece (adds blocks as children).
    void splitQuarter(LandPoly& piece);
    // Settles the block's character (draws in a fixed order) and adds it.
    // Nothing for fewer than 3 points.
    void makeBlock(const LandPoly& piece, float area);

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    float blockArea = kDefaultBlockArea;  // "Block area", square metres
    float winding = 0;                    // "Winding (angle)", radians

    static const ClassName kClassName;
};
