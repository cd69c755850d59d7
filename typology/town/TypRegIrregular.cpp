#include "typology/town/TypRegIrregular.h"

#include <utility>

#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/town/TypMunIrregular.h"

const ClassName TypReg::kClassName{"TypReg"};
const ClassName TypRegIrregular::kClassName{"TypRegIrregular"};

namespace windingChoice {
const char* const kNames[kChoiceCount] = {"No winding", "Low", "Medium", "High"};
const float kValues[kChoiceCount] = {kNone, kLow, kMedium, kHigh};
}  // namespace windingChoice

namespace {
// The municipality covers the whole region; a tenth of it is one town.
constexpr float kTownAreaShare = 0.1f;
constexpr float kMunicipalityPopulation = 0.5f;
}  // namespace

// The land part is built without terrain: the noise and the land reference are
// members and exist only once the base is complete. The fit below then finds
// the prism of the over height alone, as the fit expects.
TypReg::TypReg(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, uint32_t seed_)
    : DescPolyLand(poly_, overHeight_, nullptr, seed_, nullptr, std::move(nodes)), land(&noise) {
    noise.height = kTerrainHeight;
    noise.roughness = kTerrainRoughness;
    noise.initNoise(kNoiseDimensions, seed);
    terrain = &land;
    DescPolyLand::fitToTerrain();
}

const ClassName& TypReg::className() const { return kClassName; }

void TypReg::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Terrain roughness", &noise.roughness, {0.0, 1.0});
    list.addFloat("Terrain height", &noise.height, {0.0, 1000.0});
    DescPolyLand::declareParameters(list);
}

void TypReg::fitToTerrain() {
    noise.initNoise(kNoiseDimensions, seed);
    land.clearCache();
}

TypRegIrregular::TypRegIrregular(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_,
                                 uint32_t seed_, float winding_, std::vector<float> widths_)
    : TypReg(poly_, std::move(nodes), overHeight_, seed_), widths(std::move(widths_)), winding(winding_) {
    widths.resize(poly.count(), 0.0f);
}

const ClassName& TypRegIrregular::className() const { return kClassName; }

void TypRegIrregular::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    TypReg::declareParameters(list);
}

void TypRegIrregular::generate() {
    std::vector<GraphNode*> nodes;
    nodes.reserve(poly.count());
    for (const Point& p : poly.points())
        nodes.push_back(addNode(graph, p.vec(), *this, false));

    const uint32_t munSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addChild(std::make_unique<TypMunIrregular>(poly, std::move(nodes), overHeight, &land, this, munSeed, "Land2",
                                               poly.area() * kTownAreaShare, winding, kMunicipalityPopulation,
                                               widths));
}
