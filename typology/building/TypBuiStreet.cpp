#include "typology/building/TypBuiStreet.h"

#include "core/DescPolyLand.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"

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

void TypBuiStreet::generate() { addOwnShapeStandIn(); }

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
