#include "typology/building/TypRooRoofCourtTiled.h"

#include <memory>
#include <utility>

#include "core/DrawableSlab.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/PolyClip.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooRoofCourtFlat.h"

const ClassName TypRooRoofCourtTiled::kClassName{"TypRooRoofCourtTiled"};

TypRooRoofCourtTiled::TypRooRoofCourtTiled(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner,
                                           uint32_t seed_, const char* materialName, TypRooCourtPlan* plan_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), plan(plan_) {}

const ClassName& TypRooRoofCourtTiled::className() const { return kClassName; }

void TypRooRoofCourtTiled::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypRooRoofCourtFlat::declareVariants(list, &variant);
    TypRoo::declareParameters(list);
}

Drawable* TypRooRoofCourtTiled::createVariant(int index) {
    return plan ? plan->makeRoof(index, extrusion, seed, material->textureName()).release() : nullptr;
}

void TypRooRoofCourtTiled::generate() {
    const auto slabSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    ClipPolygon plot, court;
    plot.add(poly, false);
    if (plan && plan->courtPoly.count() >= 3)
        court.add(plan->courtPoly, false);
    ClipPolygon ring = clipPolygons(ClipOp::Difference, plot, court);
    auto slabMaterial = std::make_unique<Material>(material->textureName());
    slabMaterial->mapping = mapping::kHorizontal;
    auto slab = std::make_unique<DrawableSlab>(std::move(ring),
                                               Extrusion{extrusion.level, TypRooRoofCourtFlat::kSlabThickness},
                                               slabSeed, std::move(slabMaterial));
    slab->parent = this;
    addChild(std::move(slab));
}
