#pragma once
// The region: root of the world. It owns the terrain (the noise source and the
// land reference with the identity placement) that everything below stands on,
// and turns its whole outline into one municipality. TypReg holds the data and
// the terrain parameters; TypRegIrregular adds the winding, the per-edge street
// widths and the generation routine.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/Terrain.h"

class TypReg : public DescPolyLand {
public:
    // Ground set-up of a new region.
    static constexpr float kTerrainHeight = 70.0f;    // metres
    static constexpr float kTerrainRoughness = 0.5f;  // amplitude factor per octave
    static constexpr int kNoiseDimensions = 2;

    // poly: the outline in world ground coordinates (x, z); nodes: navigation
    // nodes at each point (not owned), empty for the root; overHeight in metres.
    // Sets the noise up from the seed and fits the region to the terrain
    // (level := lowest vertex height, height := highest - lowest + overHeight).
    TypReg(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, uint32_t seed);

    const ClassName& className() const override;
    // Heading "TypReg", "Terrain roughness", "Terrain height", then DescPolyLand's.
    void declareParameters(ParameterList& list) override;
    // Sets the noise up again from the current seed, height and roughness and
    // forgets the land's cached heights. The region's own bounds stay.
    void fitToTerrain() override;

    // Terrain parameters live in noise.height ("Terrain height", metres) and
    // noise.roughness ("Terrain roughness").
    NoiseSource noise;  // owned: the world's terrain
    Terrain land;       // owned: identity placement; the description's terrain points here

    static const ClassName kClassName;
};

class TypRegIrregular : public TypReg {
public:
    // widths: one street width per polygon point (metres), copied; missing
    // entries count as 0. winding in radians.
    TypRegIrregular(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, uint32_t seed, float winding,
                    std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypRegIrregular", float choice "Winding (angle)", then TypReg's.
    void declareParameters(ParameterList& list) override;
    // One navigation node per outline point in the region's own patch, then
    // one TypMunIrregular over the whole outline (town area 0.1 x the area,
    // the region's winding, population size 0.5, material "Land2").
    void generate() override;

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    float winding = 0;          // "Winding (angle)", radians

    static const ClassName kClassName;
};

// The "Winding (angle)" choices shared by the urban levels (radians).
namespace windingChoice {
// Numbers typed instead of a choice: up to the "High" winding.
inline constexpr ValueRange kRange{0.0, 0.7854};
inline constexpr int kChoiceCount = 4;
inline constexpr float kNone = 0.0f;
inline constexpr float kLow = 0.19634954f;     // pi/16
inline constexpr float kMedium = 0.39269909f;  // pi/8
inline constexpr float kHigh = 0.78539819f;    // pi/4
extern const char* const kNames[kChoiceCount];
extern const float kValues[kChoiceCount];
}  // namespace windingChoice
