#include "typology/town/TypMunIrregular.h"

#include <cmath>
#include <utility>

#include "core/Assert.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/StreetCutting.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

const ClassName TypMun::kClassName{"TypMun"};
const ClassName TypMunIrregular::kClassName{"TypMunIrregular"};

namespace populationChoice {
const char* const kNames[kChoiceCount] = {"Small", "Medium", "Big"};
const float kValues[kChoiceCount] = {kSmall, kMedium, kBig};
}  // namespace populationChoice

namespace {
// Closer than this (squared metres) a sample takes the edge's value outright,
// and a blob counts as this far away, so that no weight becomes infinite.
constexpr float kNearSquared = 0.0001f;
constexpr float kBlobNearSquared = 0.5f;

// Blob value and spread per unit of "Population size".
constexpr float kBlobValuePerSize = 180.0f;
constexpr float kBlobValueBase = 10.0f;
constexpr float kBlobValueMax = 100.0f;
constexpr float kBlobSpreadPerSize = 1000.0f;  // metres
// One random blob per this many outline points at full population size.
constexpr float kPointsPerBlob = 10.0f;

// A town's quarters are a hundredth of it, but never smaller than this.
constexpr float kQuarterAreaShare = 0.01f;
// Towns wind half as much as their municipality.
constexpr float kTownWindingFactor = 0.5f;
}  // namespace

// ---- PopulationField ----

void PopulationField::reset() {
    points.clear();
    edges.clear();
}

void PopulationField::addPoint(float x, float y, float value) {
    if (points.size() == points.capacity())
        points.reserve(points.size() + 8);
    points.push_back({x, y, value});
}

void PopulationField::addEdges(const Poly& poly, float vA, float vB) {
    const int n = poly.count();
    edges.reserve(edges.size() + n);
    for (int k = 0; k < n; ++k)
        edges.push_back({poly.edge(k), vA, vB});
}

// ---- TypMun ----

TypMun::TypMun(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Terrain* land,
               TypReg* parentRegion_, uint32_t seed_, const char* materialName)
    : DescPolyLand(poly_, overHeight_, land, seed_, materialName, std::move(nodes)), parentRegion(parentRegion_) {}

const ClassName& TypMun::className() const { return kClassName; }

void TypMun::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescPolyLand::declareParameters(list);
}

// ---- TypMunIrregular ----

TypMunIrregular::TypMunIrregular(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_,
                                 const Terrain* land, TypReg* parentRegion_, uint32_t seed_,
                                 const char* materialName, float townArea_, float winding_, float populationSize_,
                                 std::vector<float> widths_)
    : TypMun(poly_, std::move(nodes), overHeight_, land, parentRegion_, seed_, materialName),
      widths(std::move(widths_)), townArea(townArea_), winding(winding_), populationSize(populationSize_) {
    widths.resize(poly.count(), 0.0f);
}

const ClassName& TypMunIrregular::className() const { return kClassName; }

// Blobs sit at the bounding-sphere centre and scattered around it within the
// spread; the outline holds the field at 0, so the population thins towards
// the municipality's border. The draws (dx, then dz per blob) follow the
// centre blob. The two size checks stay on lines 94 and 95 of this file,
// which is where the error log reports them.
void TypMunIrregular::buildPopulationField() {
    CALLI_ASSERT(populationSize >= 0.0f);
    CALLI_ASSERT(populationSize <= 1.0f);
    populationField.reset();
    populationField.addEdges(poly, 0.0f, 0.0f);

    float value = kBlobValuePerSize * populationSize + kBlobValueBase;
    if (value > kBlobValueMax)
        value = kBlobValueMax;
    const float spread = kBlobSpreadPerSize * populationSize;
    const int blobs = static_cast<int>(static_cast<float>(poly.count()) / (kPointsPerBlob / populationSize));

    populationField.addPoint(centre.x, centre.z, value);
    RandomGenerator& random = RandomGenerator::generation();
    for (int b = 0; b < blobs; ++b) {
        const float dx = static_cast<float>(random.range(-spread, spread));
        const float dz = static_cast<float>(random.range(-spread, spread));
        populationField.addPoint(centre.x + dx, centre.z + dz, value);
    }
}

float PopulationField::valueAt(float x, float y) const {
    const Vec2 p{x, y};
    float weights = 0.0f, weighted = 0.0f;
    for (const Edge& e : edges) {
        const Vec2 a = e.segment.start(), b = e.segment.end();
        const Vec2 ab = b - a, ap = p - a;
        const float length2 = ab.dot(ab);
        float value, distance2;
        const float t = length2 > 0.0f ? ap.dot(ab) / length2 : 0.0f;
        if (length2 <= 0.0f || t < 0.0f) {
            value = e.valueA;
            distance2 = ap.dot(ap);
        } else if (t >= 1.0f) {
            const Vec2 bp = p - b;
            value = e.valueB;
            distance2 = bp.dot(bp);
        } else {
            const float cross = ab.cross(ap);
            value = e.valueA + (e.valueB - e.valueA) * t;
            distance2 = cross * cross / length2;
        }
        if (distance2 < kNearSquared)
            return value;
        weights += 1.0f / distance2;
        weighted += value / distance2;
    }
    for (const Blob& q : points) {
        const float dx = x - q.x, dy = y - q.y;
        float distance2 = dx * dx + dy * dy;
        if (distance2 < kNearSquared)
            distance2 = kBlobNearSquared;
        weights += 1.0f / distance2;
        weighted += q.value / distance2;
    }
    return weights != 0.0f ? weighted / weights : 0.0f;
}

void TypMunIrregular::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    // Smaller towns would cut the municipality into hundreds.
    list.addFloat("Town area", &townArea, {500000.0, 1.0e9});
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    list.addFloatChoice("Population size", populationChoice::kNames, populationChoice::kChoiceCount,
                        populationChoice::kValues, &populationSize, populationChoice::kRange);
    TypMun::declareParameters(list);
}

namespace {

// The piece becomes one town in a local frame whose origin is its first point.
void makeTown(TypMunIrregular& mun, LandPoly& piece, float area) {
    const Point origin = piece.points.front();
    for (Point& p : piece.points) {
        p.x -= origin.x;
        p.y -= origin.y;
    }
    const Matrix44 transform = Matrix44::translation(origin.x, 0.0f, origin.y);
    float quarterArea = area * kQuarterAreaShare;
    if (!(quarterArea > TypMunIrregular::kMinQuarterArea))
        quarterArea = TypMunIrregular::kMinQuarterArea;
    const uint32_t seed = static_cast<uint32_t>(RandomGenerator::generation().next());
    mun.addChild(std::make_unique<TypTowIrregular>(piece.poly(), piece.nodes, mun.overHeight, transform, mun.terrain,
                                                   &mun, seed, "Land2", quarterArea,
                                                   mun.winding * kTownWindingFactor, piece.widths));
}

// Cuts the piece along winding streets until every piece is at most the town
// area. A street that leaves less than 30 % or more than 70 % of the area on
// one side is withdrawn and another anchor drawn; after kMaxUnbalancedCuts of
// those the piece is taken as one town, because a piece whose every cut is
// unbalanced would otherwise be tried for ever.
void splitMunicipality(TypMunIrregular& mun, LandPoly& piece) {
    const float area = piece.area();
    const float townArea = mun.townArea;
    if (area <= townArea) {
        makeTown(mun, piece, area);
        return;
    }
    const int anchors = piece.anchorCount();
    if (anchors < 2) {
        makeTown(mun, piece, area);
        return;
    }
    int unbalanced = 0;
    for (;;) {
        std::optional<WindingStreet> found = findWindingStreet(piece, area, townArea, mun.winding);
        if (!found) {
            makeTown(mun, piece, area);
            return;
        }
        const int i = found->i, j = found->j;
        LandPoly& street = found->street;
        addPath(mun.graph, mun, street, piece.nodes[i], piece.nodes[j]);
        LandPoly a = splitPieceA(piece, i, j, street);
        const float ratio = a.area() / area;
        if (ratio < TypMunIrregular::kMinCutRatio || ratio > TypMunIrregular::kMaxCutRatio) {
            removePath(mun.graph, street);
            if (++unbalanced >= TypMunIrregular::kMaxUnbalancedCuts) {
                makeTown(mun, piece, area);
                return;
            }
            continue;
        }
        markStreetSides(street);
        LandPoly b = splitPieceB(piece, i, j, street);
        splitMunicipality(mun, a);
        splitMunicipality(mun, b);
        return;
    }
}

}  // namespace

void TypMunIrregular::generate() {
    LandPoly piece(poly, widths, pointNodes);
    splitMunicipality(*this, piece);
    buildPopulationField();
    addChild(std::make_unique<DrawableGraph>(graph));
}
