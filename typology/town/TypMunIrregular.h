#pragma once
// The municipality: the region's outline cut into towns along winding
// streets, with a population field laid over it that later decides which
// quarters and blocks are urban. TypMun holds the data; TypMunIrregular adds
// the parameters and the generation routine.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/Poly.h"

class TypReg;

// An inverse-square-distance blend of values given on polygon edges and at
// points ("blobs"), in the municipality's ground coordinates (world x, z).
class PopulationField {
public:
    struct Blob {
        float x = 0, y = 0;
        float value = 0;
    };
    struct Edge {
        Segment segment;       // A -> B, with the edge's limit byte
        float valueA = 0;      // value at A
        float valueB = 0;      // value at B
    };

    void reset();
    void addPoint(float x, float y, float value);
    // Every edge of the closed polygon, each with the values vA at its start
    // and vB at its end.
    void addEdges(const Poly& poly, float vA, float vB);
    // Field value at the ground point (x, y); an edge closer than 1 cm gives its
    // own interpolated value, no data at all gives 0.
    float valueAt(float x, float y) const;

    std::vector<Blob> points;
    std::vector<Edge> edges;
};

class TypMun : public DescPolyLand {
public:
    // poly in the region's ground coordinates; nodes: the region's nodes at
    // each point (not owned); land: the region's land reference (not owned);
    // parentRegion: not owned, may be null (a municipality made on its own).
    TypMun(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
           TypReg* parentRegion, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypMun" (no parameters of its own), then DescPolyLand's.
    void declareParameters(ParameterList& list) override;

    TypReg* parentRegion = nullptr;   // not owned: the region that made it
    PopulationField populationField;  // empty until generate()

    static const ClassName kClassName;
};

class TypMunIrregular : public TypMun {
public:
    // A town piece always becomes at least this many square metres of quarter.
    static constexpr float kMinQuarterArea = 160000.0f;
    // A municipality cut is kept only when it leaves between these shares of
    // the piece's area on its first side.
    static constexpr float kMinCutRatio = 0.3f;
    static constexpr float kMaxCutRatio = 0.7f;
    // Unbalanced cuts of one piece tried before it becomes a town as it is.
    // Some seeds need dozens before a balanced one; fewer left whole
    // municipalities as one town.
    static constexpr int kMaxUnbalancedCuts = 200;

    // townArea in square metres; winding in radians; populationSize in [0, 1]
    // (checked when the field is built); widths: one per point, copied.
    TypMunIrregular(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Terrain* land,
                    TypReg* parentRegion, uint32_t seed, const char* materialName, float townArea, float winding,
                    float populationSize, std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypMunIrregular", "Town area", float choices "Winding (angle)"
    // and "Population size", then TypMun's.
    void declareParameters(ParameterList& list) override;
    // Towns along a recursive street split, the population field, then one
    // DrawableGraph showing the streets.
    void generate() override;
    // Resets the field: the outline at 0, the bounding-sphere centre and
    // trunc(points / (10 / size)) random points around it at
    // R = min(180 size + 10, 100). Draws 2 numbers per random point.
    void buildPopulationField();

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    float townArea = 0;         // "Town area", square metres
    float winding = 0;          // "Winding (angle)", radians
    float populationSize = 0;   // "Population size", 0..1

    static const ClassName kClassName;
};

// The "Population size" choices.
namespace populationChoice {
// The population field is built for sizes 0 to 1.
inline constexpr ValueRange kRange{0.0, 1.0};
inline constexpr int kChoiceCount = 3;
inline constexpr float kSmall = 0.1f;
inline constexpr float kMedium = 0.25f;
inline constexpr float kBig = 0.5f;
extern const char* const kNames[kChoiceCount];
extern const float kValues[kChoiceCount];
}  // namespace populationChoice
