#include "typology/building/TypRooSimple.h"

#include <cmath>
#include <utility>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooStairsAroundWalls.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSimple.h"

const ClassName TypRooSimple::kClassName{"TypRooSimple"};

namespace {
const char* const kKindNames[] = {"Empty",    "Court",         "Entry",  "Stairs",
                                  "Corridor", "Free-standing", "Buried", "StreetLevel"};
const uint8_t kKindValues[] = {0, 1, 2, 3, 4, 5, 6, 7};
constexpr float kDefaultWallWidth = 0.3f;

// Where the lines through a and b cross; false when parallel.
bool lineCrossing(const Segment& a, const Segment& b, Vec2& out) {
    const Vec2 da = a.direction(), db = b.direction();
    const float denom = da.x * db.y - da.y * db.x;
    if (std::fabs(denom) < 1e-9f)
        return false;
    const Vec2 w = b.start() - a.start();
    const float s = (w.x * db.y - w.y * db.x) / denom;
    out = a.start() + da * s;
    return true;
}
}  // namespace

TypRooSimple::TypRooSimple(uint8_t kind_, const Poly& poly_, const Extrusion& extrusion_, TypBui* owner,
                           uint32_t seed_, const char* materialName, const std::vector<Line>* wallList_,
                           bool ceiling_, int32_t facades_, int32_t wallSections_, int32_t openings_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), kind(kind_), walls(wallList_), ceiling(ceiling_),
      facades(facades_), wallSections(wallSections_), openings(openings_) {
    // An open court draws no shape of its own (see drawOwnShape).
    if (kind == kCourtRoom)
        ownShapeShowsNothing();
}

std::unique_ptr<TypRooSimple> TypRooSimple::make(uint8_t kind_, const Poly& poly_, const Extrusion& extrusion_,
                                                 TypBui* owner, uint32_t seed_, const char* materialName,
                                                 const std::vector<Line>* wallList_, bool ceiling_,
                                                 int32_t facades_, int32_t wallSections_, int32_t openings_) {
    if (kind_ >= kKindCount)
        return nullptr;
    if (kind_ == kStairsRoom)
        return std::make_unique<TypRooStairsAroundWalls>(poly_, extrusion_, owner, seed_, materialName, wallList_,
                                                         ceiling_, facades_, wallSections_, openings_);
    return std::make_unique<TypRooSimple>(kind_, poly_, extrusion_, owner, seed_, materialName, wallList_,
                                          ceiling_, facades_, wallSections_, openings_);
}

const ClassName& TypRooSimple::className() const { return kClassName; }

void TypRooSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.setVariants(kKindNames, kKindCount, kKindValues, &kind);
    declarePoly(poly, list, nullptr, &edgeNames());
    list.addBool("Ceiling", &ceiling);
    TypRooCourtFloor::declareChoices(list, &facades, &wallSections, &openings);
    TypRoo::declareParameters(list);
}

Drawable* TypRooSimple::createVariant(int index) {
    if (index < 0 || index >= kKindCount)
        return nullptr;
    return make(static_cast<uint8_t>(index), poly, extrusion, ownerBuilding, seed, material->textureName(), walls,
                ceiling, facades, wallSections, openings)
        .release();
}

Line TypRooSimple::wallLine(int i) const {
    if (walls && i < static_cast<int>(walls->size()) && static_cast<int>(walls->size()) == poly.count())
        return (*walls)[i];
    const Segment s = poly.edge(i);
    return Line(s.x0, s.y0, s.x1, s.y1, kDefaultWallWidth, s.limit);
}

Line TypRooSimple::freeStandingWall(int i) const {
    const int n = poly.count();
    const Line own = wallLine(i);
    const Segment shifted = own.segment().offset(kFreeStandingOffset);
    Vec2 start = shifted.start(), end = shifted.end();
    const Line before = wallLine((i + n - 1) % n), after = wallLine((i + 1) % n);
    // Beside a neighbour that runs on almost straight the crossing lies far
    // off: the end then stays where it is.
    Vec2 hit;
    if (lineCrossing(shifted, before.segment().offset(-before.width * 0.5f), hit) &&
        (hit - start).length() <= kFreeStandingReach)
        start = hit;
    if (lineCrossing(shifted, after.segment().offset(-after.width * 0.5f), hit) &&
        (hit - end).length() <= kFreeStandingReach)
        end = hit;
    Line line(start.x, start.y, end.x, end.y, kFreeStandingWidth, kPartyWall);
    line.crossings = own.crossings;
    return line;
}

Line TypRooSimple::edgeWall(int i) {
    Line line = wallLine(i);
    if (kind == kFreeStandingRoom && line.limit == kWallOut) {
        line = freeStandingWall(i);
        assignOpenings(line);
        return line;
    }
    if (line.limit == kWallOut)
        return line;
    if (kind == kCourtRoom) {
        const bool belowGround = extrusion.level <= groundAt(line.x0, line.y0) ||
                                 extrusion.level <= groundAt(line.x1, line.y1);
        if (!groundStorey() && !belowGround) {
            line.limit = kWallOut;
            return line;
        }
        assignOpenings(line);
        line.limit = kPartyWall;
        return line;
    }
    assignOpenings(line);
    return line;
}

void TypRooSimple::assignOpenings(Line& line) {
    using Plan = TypRooCourtPlan;
    const uint8_t edge = line.limit;
    const bool facade = edge == kFacade || edge == kEntryFacade;
    switch (kind) {
    case kEntryRoom:
        if (facade && openings == TypRooCourtFloor::kOpeningsBalcony)
            openings = TypRooCourtFloor::kOpeningsSimple;
        if (edge == kFacade)
            Plan::all(line, 3);
        else if (edge == kEntry || edge == kCorridor)
            Plan::split(line, 2, 1);
        else if (edge == kEntryFacade)
            Plan::split(line, 2, 3);
        else
            Plan::all(line, 1);
        return;
    case kStreetLevelRoom:
        if ((facade || edge == kCorridor) && openings == TypRooCourtFloor::kOpeningsBalcony)
            openings = TypRooCourtFloor::kOpeningsSimple;
        if (facade)
            Plan::all(line, 3);
        else if (edge == kCorridor)
            Plan::split(line, 2, 3);
        else
            Plan::all(line, 1);
        return;
    case kBuriedRoom:
        if (edge == kCorridor || (edge == kEntry && groundStorey()))
            Plan::split(line, 2, 1);
        else
            Plan::all(line, 1);
        return;
    case kCorridorRoom:
        if (groundStorey() && (edge == kPassing || edge == kEntry))
            Plan::split(line, 2, 1);
        else
            Plan::all(line, 1);
        return;
    case kStairsRoom:
        Plan::all(line, edge == kCorridor ? 2 : 1);
        return;
    default:
        if (edge == kCorridor)
            Plan::split(line, 2, 3);
        else
            Plan::all(line, facade ? 3 : 1);
        return;
    }
}

void TypRooSimple::addWall(const Line& line) {
    const auto wallSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    std::unique_ptr<Drawable> wall(TypLinWallSimple::make(facades, line, extrusion, ownerBuilding, wallSections,
                                                          openings, wallSeed, material->textureName()));
    if (wall)
        addChild(std::move(wall));
}

Poly TypRooSimple::innerPolygon() const {
    const int n = poly.count();
    std::vector<float> half(n);
    for (int i = 0; i < n; ++i)
        half[i] = -wallLine(i).width * 0.5f;
    // Walls stand centred on the edges: the slab fills what lies between them.
    Poly inner = poly.canInset(half) ? poly.inset(half) : Poly();
    if (!inner.isValid())
        inner = poly;
    return inner;
}

void TypRooSimple::addCeilingAndFloor() {
    if (!ceiling)
        return;
    RandomGenerator& random = RandomGenerator::generation();
    const Poly inner = innerPolygon();
    const auto ceilingSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypConSlabSimple>(
        inner, Extrusion{extrusion.level + extrusion.height - kCeilingThickness, kCeilingThickness}, this, ceilingSeed,
        "Woodplanks1"));
    if (groundStorey()) {
        const auto floorSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypConFloorTiled>(poly, Extrusion{extrusion.level, kFloorThickness}, this, floorSeed,
                                                    "Floortile1"));
    }
}

void TypRooSimple::generateCorridor() {
    RandomGenerator& random = RandomGenerator::generation();
    for (int i = 0; i < poly.count(); ++i) {
        if (tooManyChildren())
            break;
        Line line = wallLine(i);
        if (line.limit == kWallOut)
            continue;
        if (line.limit == kWallIn) {
            const auto beamSeed = static_cast<uint32_t>(random.next());
            const float top = extrusion.level + extrusion.height;
            addChild(std::make_unique<TypLinBeamSimple>(line, Extrusion{top - line.width, line.width}, ownerBuilding,
                                                        beamSeed, "Wood1"));
        } else if (line.limit == kCorridor) {
            // The gaps along the court are open: upper storeys guard them with banisters.
            TypRooCourtPlan::all(line, TypLinOpening::kWindow);
            const auto porticoSeed = static_cast<uint32_t>(random.next());
            addChild(std::make_unique<TypLinPortico>(
                line, extrusion, ownerBuilding, TypRooCourtFloor::kSectionsSimple,
                groundStorey() ? TypRooCourtFloor::kOpeningsEmpty : TypRooCourtFloor::kOpeningsBanister, porticoSeed,
                "Wood1"));
        } else {
            assignOpenings(line);
            addWall(line);
        }
    }
    addCeilingAndFloor();
}

void TypRooSimple::drawOwnShape(RenderContext& ctx) {
    if (kind != kCourtRoom)
        TypRoo::drawOwnShape(ctx);
}

void TypRooSimple::generate() {
    if (kind == kCorridorRoom) {
        generateCorridor();
        return;
    }
    generateWalls();
    addCeilingAndFloor();
}

void TypRooSimple::generateWalls() {
    RandomGenerator& random = RandomGenerator::generation();
    for (int i = 0; i < poly.count(); ++i) {
        if (tooManyChildren())
            break;
        const Line line = edgeWall(i);
        if (line.limit == kWallOut)
            continue;
        if (line.limit == kWallIn) {
            const auto panelSeed = static_cast<uint32_t>(random.next());
            addChild(std::make_unique<TypLinPanelSimple>(
                line, extrusion, ownerBuilding, panelSeed,
                ownerBuilding ? ownerBuilding->wallMaterial.textureName() : nullptr));
            continue;
        }
        addWall(line);
    }
}
