#include "typology/construction/Construction.h"

#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"

const ClassName Construction::kClassName{"Construction"};

Construction::Construction(const Poly& poly_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                           const char* materialName)
    : DescPoly(poly_, 0.0f, seed_, materialName), context(context_) {
    extrusion = extrusion_;
    computeBounds();
}

const ClassName& Construction::className() const { return kClassName; }

void Construction::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescPoly::declareParameters(list);
}

void Construction::addPrismTo(Desc& owner, const Poly& footprint, Extrusion e, const char* materialName,
                              uint8_t mapping, uint8_t referenceEdge) {
    if (e.height < 0) {
        e.level += e.height;
        e.height = -e.height;
    }
    e.lowLimit = e.highLimit = 0;
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    if (footprint.count() < 3)
        return;
    auto m = std::make_unique<Material>(materialName);
    m->mapping = mapping;
    m->referenceEdge = referenceEdge;
    auto prism = std::make_unique<DrawablePolyExtruded>(footprint, e, drawableSeed, std::move(m));
    prism->parent = &owner;
    owner.addChild(std::move(prism));
}

void Construction::addPrism(const Poly& footprint, uint8_t mapping, uint8_t referenceEdge) {
    addPrismTo(*this, footprint, extrusion, material->textureName(), mapping, referenceEdge);
}
