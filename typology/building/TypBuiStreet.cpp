#include "typology/building/TypBuiStreet.h"

#include <cmath>
#include <memory>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/Material.h"
#include "core/Model.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"
#include "typology/building/TypBuiStalls.h"
#include "typology/construction/TypConStreet.h"

const ClassName TypBuiStreet::kClassName{"TypBuiStreet"};
const ClassName TypBuiStreetMarket::kClassName{"TypBuiStreetMarket"};
const ClassName TypBuiStreet20::kClassName{"TypBuiStreet20"};

namespace {
const char* const kVariantNames[] = {"Empty", "Market", "20th Century"};
const uint8_t kVariantValues[] = {TypBuiStreet::kEmpty, TypBuiStreet::kMarket, TypBuiStreet::kCentury20};
constexpr int kVariantCount = 3;

// The name the material is bound by, looking through an impostor cover.
const char* boundName(const Material* material) {
    if (material && material->isImpostor())
        material = static_cast<const ImpostorMaterial*>(material)->next.get();
    return material && material->record ? material->record->name.c_str() : nullptr;
}
}  // namespace

// ---- TypBuiStreet ----

TypBuiStreet::TypBuiStreet(const Poly& poly_, const Extrusion& extrusion_, const Terrain* terrain_,
                           DescPolyLand* ownerPlot_, uint32_t seed_, const char* materialName)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), terrain(terrain_) {}

const ClassName& TypBuiStreet::className() const { return kClassName; }

void TypBuiStreet::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.setVariants(kVariantNames, kVariantCount, kVariantValues, &variant);
    TypBui::declareParameters(list);
}

TypBuiStreet* TypBuiStreet::make(int kind, const Poly& poly, const Extrusion& extrusion, const Terrain* terrain,
                                 DescPolyLand* ownerPlot, uint32_t seed, const char* materialName) {
    switch (kind) {
    case kEmpty:
        return new TypBuiStreet(poly, extrusion, terrain, ownerPlot, seed, materialName);
    case kMarket:
        return new TypBuiStreetMarket(poly, extrusion, terrain, ownerPlot, seed, materialName);
    case kCentury20:
        return new TypBuiStreet20(poly, extrusion, terrain, ownerPlot, seed, materialName);
    default:
        return nullptr;
    }
}

Drawable* TypBuiStreet::createVariant(int index) {
    return make(index, poly, extrusion, terrain, ownerPlot, seed, boundName(material.get()));
}

void TypBuiStreet::drawPlotShape(RenderContext& ctx, Material* mainMaterial) {
    if (terrain)
        ctx.terrainPolygon(poly, terrain, DescPolyLand::kSkirtDepth, mainMaterial);
    else
        TypBui::drawPlotShape(ctx, mainMaterial);
}

void TypBuiStreet::generate() { addPaving(poly, kPavingOverHeight); }

void TypBuiStreet::addPaving(const Poly& piece, float overHeight) {
    const auto pavingSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    auto paving = std::make_unique<TypConStreet>(piece, Extrusion{0.0f, 1.0f}, this, terrain, pavingSeed,
                                                 mainMaterialName());
    TypConStreet::fit(*paving, terrain, overHeight);
    addChild(std::move(paving));
}

float TypBuiStreet::groundAt(const Vec2& p) const { return terrain ? terrain->height(p) : 0.0f; }

Matrix44 TypBuiStreet::modelPlacement(const Vec2& p, float level, const Vec2& direction, float sx, float sy,
                                      float sz) {
    const float length = direction.length();
    const Vec2 u = length > 0 ? direction * (1.0f / length) : Vec2(1, 0);
    // Model x along u, y up, z = x cross y: a turn without mirroring.
    Matrix44 m;
    m(0, 0) = u.x * sx;
    m(1, 0) = 0;
    m(2, 0) = u.y * sx;
    m(0, 1) = 0;
    m(1, 1) = sy;
    m(2, 1) = 0;
    m(0, 2) = -u.y * sz;
    m(1, 2) = 0;
    m(2, 2) = u.x * sz;
    m(0, 3) = p.x;
    m(1, 3) = level;
    m(2, 3) = p.y;
    return m;
}

// ---- TypBuiStreetMarket ----

TypBuiStreetMarket::TypBuiStreetMarket(const Poly& poly_, const Extrusion& extrusion_, const Terrain* terrain_,
                                       DescPolyLand* ownerPlot_, uint32_t seed_, const char* materialName)
    : TypBuiStreet(poly_, extrusion_, terrain_, ownerPlot_, seed_, materialName) {
    variant = kMarket;
}

const ClassName& TypBuiStreetMarket::className() const { return kClassName; }

// The variants entry is taken at this piece's value before the street's own
// heading: the variants share one section, headed "TypBuiStreet".
void TypBuiStreetMarket::declareParameters(ParameterList& list) {
    list.setVariants(kVariantNames, kVariantCount, kVariantValues, &variant);
    TypBuiStreet::declareParameters(list);
}

bool TypBuiStreetMarket::cutBand(Poly& rest, int i, float d, Poly& band) {
    Poly moved = rest;
    moved.moveEdge(i, -d);
    if (!moved.isValid(4))
        return false;
    const int next = (i + 1) % 4;
    band = Poly({rest[i], rest[next], moved[next], moved[i]});
    rest = moved;
    return true;
}

void TypBuiStreetMarket::generate() {
    CALLI_ASSERT(poly.count() == 4);
    RandomGenerator& random = RandomGenerator::generation();
    Poly rest = poly;
    for (Point& p : rest.points())
        p.limit = kBandEdge;
    Poly verge1, verge3;
    Poly inner = rest;
    if (!cutBand(inner, 1, kVerge, verge1) || !cutBand(inner, 3, kVerge, verge3)) {
        addPaving(poly, kPavingOverHeight);
        return;
    }
    addPaving(verge1, kPavingOverHeight);
    addPaving(verge3, kPavingOverHeight);
    rest = inner;

    // A row's front is its edge 1: the first row of a pair faces the lane
    // after it (towards edge 1), the second the lane before it.
    auto addRow = [&](Poly band, bool facingEdge1) {
        band.rotate(facingEdge1 ? 1 : 3);
        const auto rowSeed = static_cast<uint32_t>(random.next());
        auto row = std::make_unique<TypBuiStalls>(band, Extrusion{0.0f, kStallHeight}, terrain, ownerPlot, rowSeed,
                                                  "Canopy1", "Wood1", kStallHeight);
        TypConStreet::fit(*row, terrain, kStallHeight);
        addChild(std::move(row));
    };
    Poly band;
    while (true) {
        if (tooManyChildren())
            break;
        if (!cutBand(rest, 3, kStallDepth, band))
            break;
        addRow(band, true);
        if (!cutBand(rest, 3, kLane, band))
            break;
        addPaving(band, kPavingOverHeight);
        if (!cutBand(rest, 3, kStallDepth, band))
            break;
        addRow(band, false);
    }
    // What the loop left, too narrow for the next band, is paved as a lane.
    addPaving(rest, kPavingOverHeight);
}

// ---- TypBuiStreet20 ----

TypBuiStreet20::TypBuiStreet20(const Poly& poly_, const Extrusion& extrusion_, const Terrain* terrain_,
                               DescPolyLand* ownerPlot_, uint32_t seed_, const char* materialName)
    : TypBuiStreet(poly_, extrusion_, terrain_, ownerPlot_, seed_, materialName) {
    variant = kCentury20;
}

const ClassName& TypBuiStreet20::className() const { return kClassName; }

// As the market street: no heading of its own.
void TypBuiStreet20::declareParameters(ParameterList& list) {
    list.setVariants(kVariantNames, kVariantCount, kVariantValues, &variant);
    TypBuiStreet::declareParameters(list);
}

void TypBuiStreet20::generate() {
    CALLI_ASSERT(poly.count() == 4);
    RandomGenerator& random = RandomGenerator::generation();
    addPaving(poly, kPavingOverHeight);

    // Lamps along the building line, set back into the street.
    const Segment side = poly.edge(3);
    const float sideLength = side.length();
    if (sideLength > 0) {
        const Vec2 u = side.direction() * (1.0f / sideLength);
        const Vec2 into = u.perpendicular() * -1.0f;  // the left normal points out of the piece
        for (float d = kLampStart; d <= sideLength; d += kLampSpacing) {
            if (tooManyChildren())
                break;
            const Vec2 at = side.start() + u * d + into * kLampSetBack;
            const auto lampSeed = static_cast<uint32_t>(random.next());
            addChild(std::make_unique<DrawableModel>("Street_lamp1", modelPlacement(at, groundAt(at), u), lampSeed,
                                                     "Street_lamp1"));
        }
    }

    // Cars parked along the carriageway, following the street.
    Poly carriageway = poly;
    carriageway.moveEdge(1, -kCarriageway);
    if (!carriageway.isValid(4))
        return;
    const Segment lane = carriageway.edge(1);
    const float laneLength = lane.length();
    const Vec2 u = lane.direction() * (1.0f / laneLength);
    static const char* const kCars[2] = {"Car1", "Car2"};
    for (float d = kFirstCar; d + kCarHalfLength <= laneLength;
         d += static_cast<float>(random.range(kCarGapMin, kCarGapMax))) {
        if (tooManyChildren())
            break;
        const char* model = kCars[static_cast<int>(2 * random.uniform())];
        const char* paint = kCars[static_cast<int>(2 * random.uniform())];
        const auto carSeed = static_cast<uint32_t>(random.next());
        const Vec2 at = lane.start() + u * d;
        addChild(std::make_unique<DrawableModel>(model, modelPlacement(at, groundAt(at), u), carSeed, paint));
    }
}
