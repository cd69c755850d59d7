#include "typology/building/TypRooCourtFloor.h"

#include <memory>
#include <utility>

#include "core/DescPolyLand.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/PolyClip.h"
#include "core/RenderContext.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooSimple.h"

const ClassName TypRooCourtFloor::kClassName{"TypRooCourtFloor"};

namespace {
const char* const kFacadeNames[] = {"Wall simple", "Portico"};
const int32_t kFacadeValues[] = {0, 1};
const char* const kSectionNames[] = {"Simple"};
const int32_t kSectionValues[] = {0};
const char* const kOpeningNames[] = {"Empty", "Simple", "Banister", "Balcony"};
const int32_t kOpeningValues[] = {0, 1, 2, 3};
}  // namespace

TypRooCourtFloor::TypRooCourtFloor(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, uint32_t seed_,
                                   const char* materialName, TypRooCourtPlan* plan_, std::vector<uint8_t> kinds_,
                                   int32_t facades_, int32_t wallSections_, int32_t openings_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), plan(plan_), kinds(std::move(kinds_)),
      facades(facades_), wallSections(wallSections_), openings(openings_) {}

const ClassName& TypRooCourtFloor::className() const { return kClassName; }

void TypRooCourtFloor::declareChoices(ParameterList& list, int32_t* facades_, int32_t* wallSections_,
                                      int32_t* openings_) {
    list.addIntChoice("Facades", kFacadeNames, 2, kFacadeValues, facades_);
    list.addIntChoice("Wall sections", kSectionNames, 1, kSectionValues, wallSections_);
    list.addIntChoice("Openings", kOpeningNames, 4, kOpeningValues, openings_);
}

void TypRooCourtFloor::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareChoices(list, &facades, &wallSections, &openings);
    TypRoo::declareParameters(list);
}

void TypRooCourtFloor::drawOwnShape(RenderContext& ctx) {
    if (!plan || !plan->open || plan->builtVertices == 0 || plan->courtPoly.count() < 3) {
        TypRoo::drawOwnShape(ctx);
        return;
    }
    ClipPolygon plot, court;
    plot.add(poly, false);
    court.add(plan->courtPoly, false);
    ctx.slabPolygon(clipPolygons(ClipOp::Difference, plot, court), extrusion, material.get());
}

void TypRooCourtFloor::generate() {
    if (!plan)
        return;
    RandomGenerator& random = RandomGenerator::generation();
    const char* storeyMaterial = material->textureName();
    int32_t storeyFacades = facades, storeyOpenings = openings;
    if (groundStorey() && facades == kWallSimple) {
        const DescPolyLand* land = ownerBuilding ? ownerBuilding->ownerPlot : nullptr;
        if ((land ? land->slope() : 0.0f) < kPorticoSlope) {
            storeyFacades = kPortico;
            storeyOpenings = kOpeningsEmpty;
            storeyMaterial = "Wood1";
        }
    }
    for (size_t r = 0; r < plan->wallLists.size(); ++r) {
        if (tooManyChildren())
            break;
        if (plan->wallLists[r].empty())
            continue;
        const uint8_t kind = r < kinds.size() ? kinds[r] : static_cast<uint8_t>(kEmptyRoom);
        const auto roomSeed = static_cast<uint32_t>(random.next());
        const bool buried = kind == kBuriedRoom;
        auto room = TypRooSimple::make(kind, plan->roomPolys[r], extrusion, ownerBuilding, roomSeed, storeyMaterial,
                                       &plan->wallLists[r], kind != kCourtRoom, buried ? kWallSimple : storeyFacades,
                                       buried ? kSectionsSimple : wallSections,
                                       buried ? kOpeningsSimple : storeyOpenings);
        if (room)
            addChild(std::move(room));
    }
}
