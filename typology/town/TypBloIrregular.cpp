#include "typology/town/TypBloIrregular.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/StreetCutting.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypRegIrregular.h"

const ClassName TypBlo::kClassName{"TypBlo"};
const ClassName TypBloIrregular::kClassName{"TypBloIrregular"};

namespace {
// The "Party" limit of block dividing lines.
constexpr uint8_t kBlockPartyLimit = landlimit::kParty | landlimit::kBlockParty;
constexpr float kEstateWindingFactor = 0.5f;

const char* boundName(const Material& material) {
    return material.record ? material.record->name.c_str() : nullptr;
}
}  // namespace

// ---- TypBlo ----

TypBlo::TypBlo(const Poly& poly_, std::vector<GraphNode*> nodes, float estatesSide_, float overHeight_,
               bool urban_, const Terrain* land, TypQua* parentQuarter_, uint32_t seed_, const char* materialName)
    : DescPolyLand(poly_, overHeight_, land, seed_, materialName, std::move(nodes)), estatesSide(estatesSide_),
      parentQuarter(parentQuarter_), urban(urban_) {
    radius += kRadiusMargin;
}

const ClassName& TypBlo::className() const { return kClassName; }

void TypBlo::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    // Narrower estates would crowd a block past its children's limit.
    list.addFloat("Estates side", &estatesSide, {15.0, 1000.0});
    list.addBool("Urban", &urban);
    DescPolyLand::declareParameters(list);
}

// ---- TypBloIrregular ----

TypBloIrregular::TypBloIrregular(const Poly& poly_, std::vector<GraphNode*> nodes, float estatesSide_,
                                 float overHeight_, bool urban_, const Terrain* land, TypQua* parentQuarter_,
                                 uint32_t seed_, const char* materialName, float winding_, float minStreetLength_,
                                 std::vector<float> widths_)
    : TypBlo(poly_, std::move(nodes), estatesSide_, overHeight_, urban_, land, parentQuarter_, seed_, materialName),
      widths(std::move(widths_)), winding(winding_), minStreetLength(minStreetLength_) {}

const ClassName& TypBloIrregular::className() const { return kClassName; }

void TypBloIrregular::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    if (urban)
        list.addFloat("Min street length", &minStreetLength, {0.0, 10000.0});
    TypBlo::declareParameters(list);
}

void TypBloIrregular::generate() {
    if (poly.count() < 3)
        return;
    LandPoly piece(poly, widths, pointNodes);
    splitBlock(piece);
    addChild(std::make_unique<DrawableGraph>(graph));
}

void TypBloIrregular::splitBlock(LandPoly& piece) {
    const float area = piece.area();
    if (area <= estatesSide * estatesSide) {
        makeEstate(piece, area);
        return;
    }
    const int anchors = piece.anchorCount();
    if (anchors == 0) {
        makeEstate(piece, area);
        return;
    }
    std::optional<StraightCut> cut = findStraightCut(piece, winding, piece.count());
    if (!cut) {
        makeEstate(piece, area);
        return;
    }
    const int i = cut->i, j = cut->j;
    Stub& seg = cut->seg;
    const bool street = urban && (piece.at(j) - piece.at(i)).length() > minStreetLength;
    float width = 0.0f;
    if (street) {
        seg.limit = landlimit::kStreetCut;
        width = static_cast<float>(
            RandomGenerator::generation().range(kMinStreetWidth, std::max(kMaxStreetWidth, estatesSide * 0.5f)));
    } else {
        seg.limit = kBlockPartyLimit;
    }
    LandPoly line = makeCutLine(*this, seg, width, piece.nodes[i], piece.nodes[j]);
    LandPoly a = splitPieceA(piece, i, j, line);
    if (street)
        markStreetSides(line);
    LandPoly b = splitPieceB(piece, i, j, line);
    splitBlock(a);
    splitBlock(b);
}

void TypBloIrregular::makeEstate(const LandPoly& piece, float area) {
    if (piece.count() < 3)
        return;
    std::unique_ptr<TypEst> estate;
    if (urban && area <= kCourtEstateArea) {
        const auto estateSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
        estate = std::make_unique<TypEstCourt>(piece.poly(), piece.nodes, overHeight, terrain, this, estateSeed,
                                               boundName(*material), kConstructionDepthMin,
                                               winding * kEstateWindingFactor,
                                               std::max(kMinMaxCourtSide, estatesSide * 0.5f), piece.widths);
    } else {
        // A large lot inside an urban block stays open land.
        const char* materialName = urban ? "Land1" : boundName(*material);
        const auto estateSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
        estate = std::make_unique<TypEstRustic>(piece.poly(), piece.nodes, overHeight, terrain, this, estateSeed,
                                                materialName, piece.widths);
    }
    addChild(std::move(estate));
}
