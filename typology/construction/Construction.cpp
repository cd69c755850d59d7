#include "typology/construction/Construction.h"

#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/ParameterList.h"

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

Extrusion Construction::normalised(Extrusion e) {
    if (e.height < 0) {
        e.level += e.height;
        e.height = -e.height;
    }
    e.lowLimit = e.highLimit = 0;
    return e;
}

std::unique_ptr<Material> Construction::leafMaterial(const char* materialName, uint8_t mapping, uint8_t referenceEdge) {
    auto m = std::make_unique<Material>(materialName);
    m->mapping = mapping;
    m->referenceEdge = referenceEdge;
    return m;
}

void Construction::attach(Desc& owner, std::unique_ptr<Drawable> leaf) {
    leaf->parent = &owner;
    owner.addChild(std::move(leaf));
}

void Construction::addPrismTo(Desc& owner, const Poly& footprint, const Extrusion& extrusion, uint32_t drawableSeed,
                              const char* materialName, uint8_t mapping, uint8_t referenceEdge) {
    if (footprint.count() < 3)
        return;
    attach(owner, std::make_unique<DrawablePolyExtruded>(footprint, normalised(extrusion), drawableSeed,
                                                         leafMaterial(materialName, mapping, referenceEdge)));
}
