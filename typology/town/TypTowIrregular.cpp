#include "typology/town/TypTowIrregular.h"

#include <cmath>
#include <utility>

#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/StreetCutting.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

const ClassName TypTow::kClassName{"TypTow"};
const ClassName TypTowIrregular::kClassName{"TypTowIrregular"};

namespace {
constexpr float kBlockArea = 22500.0f;  // square metres
// Quarters wind half as much as their town.
constexpr float kQuarterWindingFactor = 0.5f;

Terrain placedLand(const Terrain* parentLand, const Matrix44& transform) {
    if (!parentLand)
        return Terrain(nullptr, transform);
    // The local point goes through the town's frame first, then the parent's placement.
    return Terrain(parentLand->noise(), parentLand->placement() * transform);
}
}  // namespace

// ---- TypTow ----

// As for the region, the land part starts without terrain because the town's
// own land reference is a member; the fit follows once it exists.
TypTow::TypTow(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Matrix44& transform_,
               const Terrain* parentLand, TypMun* parentMunicipality_, uint32_t seed_, const char* materialName)
    : DescPolyLand(poly_, overHeight_, nullptr, seed_, materialName, std::move(nodes)),
      parentMunicipality(parentMunicipality_), transform(transform_), land(placedLand(parentLand, transform_)) {
    terrain = &land;
    DescPolyLand::fitToTerrain();
    radius += kRadiusMargin;
}

const ClassName& TypTow::className() const { return kClassName; }

void TypTow::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescPolyLand::declareParameters(list);
}

void TypTow::draw(RenderContext& ctx) {
    ctx.drawPlaced(transform, [&] { DescPolyLand::draw(ctx); });
}

bool TypTow::collides(const Vector& from, const Vector& to) const {
    const Matrix44 toLocal = transform.inverse();
    return DescPolyLand::collides(toLocal.transformPoint(from), toLocal.transformPoint(to));
}

// ---- TypTowIrregular ----

TypTowIrregular::TypTowIrregular(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_,
                                 const Matrix44& transform_, const Terrain* parentLand, TypMun* parentMunicipality_,
                                 uint32_t seed_, const char* materialName, float quarterArea_, float winding_,
                                 std::vector<float> widths_)
    : TypTow(poly_, std::move(nodes), overHeight_, transform_, parentLand, parentMunicipality_, seed_, materialName),
      widths(std::move(widths_)), quarterArea(quarterArea_), winding(winding_) {
    widths.resize(poly.count(), 0.0f);
}

const ClassName& TypTowIrregular::className() const { return kClassName; }

void TypTowIrregular::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Quarter area", &quarterArea, {40000.0, 1.0e9});
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    TypTow::declareParameters(list);
}

namespace {

void makeQuarter(TypTowIrregular& town, const LandPoly& piece) {
    const uint32_t seed = static_cast<uint32_t>(RandomGenerator::generation().next());
    town.addChild(std::make_unique<TypQuaIrregular>(piece.poly(), piece.nodes, town.overHeight, town.terrain,
                                                    &town, seed, "Land2", kBlockArea,
                                                    town.winding * kQuarterWindingFactor, piece.widths));
}

// Cuts the piece along winding streets until every piece is at most the
// quarter area; every street that can be grown is kept, however it divides.
void splitTown(TypTowIrregular& town, LandPoly& piece) {
    const int anchors = piece.anchorCount();
    if (anchors < 2) {
        makeQuarter(town, piece);
        return;
    }
    const float area = piece.area();
    const float quarterArea = town.quarterArea;
    if (area <= quarterArea) {
        makeQuarter(town, piece);
        return;
    }
    std::optional<WindingStreet> found = findWindingStreet(piece, area, quarterArea, town.winding);
    if (!found) {
        makeQuarter(town, piece);
        return;
    }
    addPath(town.graph, town, found->street, piece.nodes[found->i], piece.nodes[found->j]);
    auto [a, b] = splitAlongStreet(piece, found->i, found->j, found->street, true);
    splitTown(town, a);
    splitTown(town, b);
}

}  // namespace

void TypTowIrregular::generate() {
    LandPoly piece(poly, widths, pointNodes);
    splitTown(*this, piece);
    addChild(std::make_unique<DrawableGraph>(graph));
}
