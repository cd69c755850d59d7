#include "typology/building/TypRooRoofCourtFlat.h"

#include <cmath>
#include <memory>
#include <utility>

#include "core/DrawableSlab.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/PolyClip.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooSimple.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypLinPanelSimple.h"

const ClassName TypRooRoofCourtFlat::kClassName{"TypRooRoofCourtFlat"};

namespace {
const char* const kVariantNames[] = {"Flat", "Tiled"};
const uint8_t kVariantValues[] = {0, 1};
constexpr float kTwoPi = 6.28318530717959f;

// poly moved out by d (in by -d); empty when its edges cannot move that far.
Poly grown(const Poly& poly, float d) {
    const std::vector<float> distances(poly.count(), d);
    if (poly.count() < 3 || !poly.canInset(distances))
        return Poly();
    Poly out = poly.inset(distances);
    return out.isValid() ? out : Poly();
}

ClipPolygon single(const Poly& poly) {
    ClipPolygon c;
    if (poly.count() >= 3)
        c.add(poly, false);
    return c;
}
}  // namespace

TypRooRoofCourtFlat::TypRooRoofCourtFlat(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner,
                                         uint32_t seed_, const char* materialName, TypRooCourtPlan* plan_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), plan(plan_) {}

const ClassName& TypRooRoofCourtFlat::className() const { return kClassName; }

void TypRooRoofCourtFlat::declareVariants(ParameterList& list, uint8_t* target) {
    list.setVariants(kVariantNames, 2, kVariantValues, target);
}

void TypRooRoofCourtFlat::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareVariants(list, &variant);
    TypRoo::declareParameters(list);
}

Drawable* TypRooRoofCourtFlat::createVariant(int index) {
    return plan ? plan->makeRoof(index, extrusion, seed, material->textureName()).release() : nullptr;
}

bool TypRooRoofCourtFlat::innerRing(const TypRooCourtPlan* plan, int n, Poly& ring) {
    ring.clear();
    if (!plan)
        return false;
    for (const Point& p : plan->courtPoly.points())
        if (p.limit & TypBuiCourt::kUnedificated)
            ring.append({p.x, p.y, static_cast<uint8_t>(p.limit & TypBuiCourt::kEdificatedT)});
    if (ring.count() != n || n < 3) {
        ring.clear();
        return false;
    }
    return true;
}

bool TypRooRoofCourtFlat::planOpen(const TypRooCourtPlan* plan) {
    if (!plan)
        return false;
    bool built = false;
    for (const Point& p : plan->courtPoly.points())
        built = built || (p.limit & TypBuiCourt::kEdificatedT) != 0;
    return plan->corridorWidth != 0.0f || !built;
}

int TypRooRoofCourtFlat::stairsRoom(const TypRooCourtPlan* plan) {
    if (!plan)
        return -1;
    for (size_t r = 0; r < plan->roomKinds.size() && r < plan->roomPolys.size(); ++r)
        if (plan->roomKinds[r] == kStairsRoom)
            return static_cast<int>(r);
    return -1;
}

std::vector<Line> TypRooRoofCourtFlat::joinedLines(const Poly& contour, float width) {
    const int n = contour.count();
    std::vector<Line> lines;
    for (int i = 0; i < n; ++i) {
        const Segment s = contour.edge(i);
        lines.emplace_back(s.x0, s.y0, s.x1, s.y1, width, 0);
    }
    for (int i = 0; i < n; ++i) {
        Line& in = lines[i];
        Line& out = lines[(i + 1) % n];
        const float lin = in.length(), lout = out.length();
        if (!(lin > 0.0f) || !(lout > 0.0f))
            continue;
        const Vec2 u = in.segment().direction() * (1.0f / lin), v = out.segment().direction() * (1.0f / lout);
        // The two pieces meet along the bisector of the corner; straight on, square.
        Vec2 b = v - u;
        if (!(b.length() > 1e-4f))
            b = u.perpendicular();
        auto angleTo = [&b](const Vec2& heading) {
            float a = std::atan2(heading.x * b.y - heading.y * b.x, heading.dot(b));
            return a < 0.0f ? a + kTwoPi : a;
        };
        Crossing c;
        c.kind = 2;
        c.t = 1.0f;
        c.beforeAngle = c.afterAngle = angleTo(u);
        in.addCrossing(c);
        c.t = 0.0f;
        c.beforeAngle = c.afterAngle = angleTo(v);
        out.addCrossing(c);
    }
    return lines;
}

void TypRooRoofCourtFlat::addContourPanels(TypRoo& roof, const ClipPolygon& shape, float width,
                                           const Extrusion& extrusion) {
    RandomGenerator& random = RandomGenerator::generation();
    const char* wall = roof.ownerBuilding ? roof.ownerBuilding->wallMaterial.textureName() : nullptr;
    for (Poly contour : shape.contours) {
        // Pieces shorter than the wall is wide would have their mitred ends cross.
        contour.simplify(width);
        if (contour.count() < 3)
            continue;
        for (const Line& line : joinedLines(contour, width)) {
            if (roof.tooManyChildren())
                return;
            const auto panelSeed = static_cast<uint32_t>(random.next());
            roof.addChild(std::make_unique<TypLinPanelSimple>(line, extrusion, roof.ownerBuilding, panelSeed, wall));
        }
    }
}

void TypRooRoofCourtFlat::generate() {
    // Edited to no height above a storey's, the roof is drawn as its block.
    if (!(extrusion.height > kMinHeight)) {
        stayCoarse();
        return;
    }
    RandomGenerator& random = RandomGenerator::generation();
    Poly ring;
    innerRing(plan, poly.count(), ring);
    const bool open = planOpen(plan) && !ring.empty();
    const int stairs = stairsRoom(plan);

    const float parapet = stairs >= 0 ? static_cast<float>(random.range(kParapetMin, kParapetMax)) : kLowParapet;

    ClipPolygon parapetShape = single(grown(poly, -kParapetInset));
    if (open)
        parapetShape = clipPolygons(ClipOp::Difference, parapetShape, single(grown(ring, kParapetInset)));
    addContourPanels(*this, parapetShape, kParapetWidth, Extrusion{extrusion.level, parapet});

    ClipPolygon terrace = single(grown(poly, -kTerraceInset));
    if (open)
        terrace = clipPolygons(ClipOp::Difference, terrace, single(grown(ring, kTerraceInset)));
    if (stairs >= 0)
        terrace = clipPolygons(ClipOp::Difference, terrace, single(grown(plan->roomPolys[stairs], -kTerraceInset)));
    if (!terrace.contours.empty()) {
        const auto terraceSeed = static_cast<uint32_t>(random.next());
        auto terraceMaterial = std::make_unique<Material>(material->textureName());
        terraceMaterial->mapping = mapping::kHorizontal;
        auto slab = std::make_unique<DrawableSlab>(std::move(terrace),
                                                   Extrusion{extrusion.level, kTerraceThickness, 2, 0}, terraceSeed,
                                                   std::move(terraceMaterial));
        slab->parent = this;
        addChild(std::move(slab));
    }

    if (stairs < 0)
        return;
    const auto houseHeight = static_cast<float>(random.range(kMinHeight, extrusion.height));
    const auto houseSeed = static_cast<uint32_t>(random.next());
    const Poly& room = plan->roomPolys[stairs];
    const std::vector<Line>* walls =
        static_cast<size_t>(stairs) < plan->wallLists.size() ? &plan->wallLists[stairs] : nullptr;
    if (auto house = TypRooSimple::make(kFreeStandingRoom, room, Extrusion{extrusion.level, houseHeight, 2, 2},
                                        ownerBuilding, houseSeed,
                                        ownerBuilding ? ownerBuilding->wallMaterial.textureName() : nullptr, walls,
                                        true, TypRooCourtFloor::kWallSimple, TypRooCourtFloor::kSectionsSimple,
                                        TypRooCourtFloor::kOpeningsSimple))
        addChild(std::move(house));
    const auto topSeed = static_cast<uint32_t>(random.next());
    // Level and height as the slab is drawn, so that its own entries take them back.
    addChild(std::make_unique<TypConFloorTiled>(room, Extrusion{extrusion.level + houseHeight, kTopThickness}, this,
                                                topSeed, material->textureName()));
}
