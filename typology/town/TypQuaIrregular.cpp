#include "typology/town/TypQuaIrregular.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/StreetCutting.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

const ClassName TypQua::kClassName{"TypQua"};
const ClassName TypQuaIrregular::kClassName{"TypQuaIrregular"};

namespace {
// Blocks of urban quarters drawing above this (of 100) stay open land: 9 %.
constexpr int kRusticBlockDraw = 90;
// Below this field value a block of an urban quarter is rustic.
constexpr float kUrbanBlockField = 15.0f;
// Urban block heights lie in [kMinHeight, hmax); hmax grows from kBaseHeight
// above kDenseField towards the quarter's over height.
constexpr float kMinHeight = 4.0f;
constexpr float kBaseHeight = 12.0f;
constexpr float kDenseField = 60.0f;
constexpr float kHeightPerField = 0.025f;
constexpr float kMinUrbanEstateSide = 20.0f;
// Rustic blocks: large estates, low buildings.
constexpr float kRusticEstateSide = 50.0f;
constexpr float kRusticHeight = 10.0f;
// Estates are never smaller than the block's size over 15.
constexpr float kEstateSideFactor = 0.06666667f;
// Urban blocks steeper than this (percent) stay open land.
constexpr float kMaxUrbanSlope = 30.0f;
constexpr float kBlockWindingFactor = 0.5f;

// One draw: an index in [0, count).
int drawIndex(int count) {
    return static_cast<int>(RandomGenerator::generation().uniform() * count);
}

// One draw: "Land1" or "Land2" with equal chance.
const char* landMaterial() { return drawIndex(2) == 1 ? "Land1" : "Land2"; }
}  // namespace

// ---- TypQua ----

TypQua::TypQua(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Terrain* land,
               TypTow* parentTown_, uint32_t seed_, const char* materialName)
    : DescPolyLand(poly_, overHeight_, land, seed_, materialName, std::move(nodes)), parentTown(parentTown_) {
    radius += kRadiusMargin;
    // The field is read at the centre of the bounding sphere, carried into
    // the municipality's coordinates.
    urban = populationAt({centre.x, centre.z}) > kUrbanField;
    if (urban) {
        material->unbind();
        material->bind("Slate1");
    }
}

const ClassName& TypQua::className() const { return kClassName; }

void TypQua::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addBool("Urban", &urban);
    DescPolyLand::declareParameters(list);
}

float TypQua::populationAt(const Vec2& local) const {
    if (!parentTown || !parentTown->parentMunicipality)
        return 0.0f;
    const Vector p = parentTown->transform.transformPoint({local.x, 0.0f, local.y});
    return parentTown->parentMunicipality->populationField.valueAt(p.x, p.z);
}

// ---- TypQuaIrregular ----

TypQuaIrregular::TypQuaIrregular(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_,
                                 const Terrain* land, TypTow* parentTown_, uint32_t seed_, const char* materialName,
                                 float blockArea_, float winding_, std::vector<float> widths_)
    : TypQua(poly_, std::move(nodes), overHeight_, land, parentTown_, seed_, materialName),
      widths(std::move(widths_)), blockArea(blockArea_), winding(winding_) {}

const ClassName& TypQuaIrregular::className() const { return kClassName; }

// Draws, in order: the open-land draw and the height and estate side (urban
// quarters) or the ground material (rustic ones), then the block's seed.
void TypQuaIrregular::makeBlock(const LandPoly& piece, float area) {
    if (piece.count() < 3)
        return;
    float estateSide = kRusticEstateSide;
    float height = std::min(overHeight, kRusticHeight);
    bool urbanBlock = false;
    float minStreetLength = 0.0f;
    const char* materialName = "Land1";
    if (!urban) {
        materialName = landMaterial();
    } else if (drawIndex(100) <= kRusticBlockDraw) {
        const float field = populationAt(piece.at(0));
        if (field < kUrbanBlockField) {
            materialName = landMaterial();
        } else {
            CALLI_ASSERT(overHeight > kMinHeight);
            float hmax = kBaseHeight;
            if (field > kDenseField)
                hmax = (overHeight - kBaseHeight) * (field - kDenseField) * kHeightPerField + kBaseHeight;
            hmax = std::min(hmax, overHeight);
            auto& random = RandomGenerator::generation();
            height = static_cast<float>(random.range(kMinHeight, hmax));
            estateSide = static_cast<float>(random.range(height * 0.25f, height * 0.5f));
            estateSide = std::max(estateSide, kMinUrbanEstateSide);
            minStreetLength = estateSide * 4 + 5;
            urbanBlock = true;
            materialName = "Slate1";
        }
    }
    estateSide = std::max(estateSide, std::sqrt(area) * kEstateSideFactor);
    const auto blockSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    auto block = std::make_unique<TypBloIrregular>(piece.poly(), piece.nodes, estateSide, height, urbanBlock,
                                                   terrain, this, blockSeed, materialName,
                                                   winding * kBlockWindingFactor, minStreetLength, piece.widths);
    if (block->urban && block->slope() > kMaxUrbanSlope) {
        block->urban = false;
        block->material->unbind();
        block->material->bind("Land1");
    }
    addChild(std::move(block));
}

void TypQuaIrregular::splitQuarter(LandPoly& piece) {
    const float area = piece.area();
    if (area <= blockArea) {
        makeBlock(piece, area);
        return;
    }
    const int anchors = piece.anchorCount();
    if (anchors == 0) {
        makeBlock(piece, area);
        return;
    }
    // Every rejected cut lowers the limit by at least one, so the passes end.
    int limit = piece.count();
    for (;;) {
        std::optional<StraightCut> cut = findStraightCut(piece, winding, limit);
        if (!cut) {
            makeBlock(piece, area);
            return;
        }
        const int i = cut->i, j = cut->j;
        Stub& seg = cut->seg;
        limit -= cut->tries + 1;
        const bool street = urban;
        seg.limit = street ? landlimit::kStreetCut : landlimit::kParty;
        const float width = street ? kStreetWidth : 0.0f;
        LandPoly line = makeCutLine(*this, seg, width, piece.nodes[i], piece.nodes[j]);
        LandPoly a = splitPieceA(piece, i, j, line);
        const float ratio = a.area() / area;
        const float cutLength = (piece.at(j) - piece.at(i)).length();
        if (ratio < kMinCutRatio || ratio > kMaxCutRatio || a.perimeter() / cutLength < kMinPerimeterRatio) {
            removePath(graph, line);
            continue;
        }
        if (street)
            markStreetSides(line);
        LandPoly b = splitPieceB(piece, i, j, line);
        splitQuarter(a);
        splitQuarter(b);
        return;
    }
}

void TypQuaIrregular::generate() {
    if (poly.count() < 3)
        return;
    LandPoly piece(poly, widths, pointNodes);
    splitQuarter(piece);
    addChild(std::make_unique<DrawableGraph>(graph));
}

void TypQuaIrregular::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Block area", &blockArea, {2500.0, 1.0e9});
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    TypQua::declareParameters(list);
}
