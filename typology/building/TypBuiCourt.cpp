#include "typology/building/TypBuiCourt.h"

#include <cmath>
#include <memory>
#include <utility>

#include "core/Assert.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/construction/TypConSlabSimple.h"

const ClassName TypBuiCourt::kClassName{"TypBuiCourt"};

namespace {
const char* const kBuildingEdgeNames[] = {"Party Wall", "Facade", "Entry", "Entry Facade", "Passing"};
const uint8_t kBuildingEdgeValues[] = {0, 1, 2, 3, 4};
const LimitNames kBuildingEdges{kBuildingEdgeNames, kBuildingEdgeValues, 5};
}  // namespace

TypBuiCourt::TypBuiCourt(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
                         const char* roofMaterialName, const char* wallMaterialName, std::vector<float> depths,
                         bool courtClosed_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, roofMaterialName, wallMaterialName),
      constructionDepth(std::move(depths)), courtClosed(courtClosed_) {
    constructionDepth.resize(poly.count(), 0.0f);
}

const ClassName& TypBuiCourt::className() const { return kClassName; }

const LimitNames& TypBuiCourt::limitNames() { return kBuildingEdges; }

void TypBuiCourt::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &limitNames());
    list.addFloatArray("Construction Depth", constructionDepth.data(), static_cast<int>(constructionDepth.size()),
                       {-kMaxConstructionDepth, 0.0});
    list.addBool("Court closed", &courtClosed);
    TypBui::declareParameters(list);
}

// Coarse, the prism takes the main material, so that an impostor pushed onto
// it is what shows.
void TypBuiCourt::drawOwnShape(RenderContext& ctx) { TypBui::drawPlotShape(ctx, material.get()); }

void TypBuiCourt::drawPlotShape(RenderContext& ctx, Material*) {
    ctx.extrudedPolygon(poly, extrusion, &wallMaterial, 0);
}

void TypBuiCourt::storeys(float height, bool anyBuilt, RandomGenerator& random, int& floors, bool& putStairs) {
    const double storey = 3.0 + random.uniform();
    CALLI_ASSERT(height >= kMinHeight);
    floors = static_cast<int>(std::floor(height / storey));
    putStairs = floors >= 2;
    if (!putStairs && anyBuilt)
        floors = 2;
}

namespace {
// A missing depth counts as an unbuilt edge.
bool built(const std::vector<float>& depths, int i) { return i < static_cast<int>(depths.size()) && depths[i] != 0.0f; }

// Foot of the perpendicular from p onto the line through a and b.
Vec2 footOnLine(const Vec2& p, const Vec2& a, const Vec2& b) {
    const Vec2 d = b - a;
    const float dd = d.dot(d);
    if (!(dd > 0.0f))
        return a;
    return a + d * ((p - a).dot(d) / dd);
}
}  // namespace

Poly TypBuiCourt::courtPolygon(const Poly& plot, const std::vector<float>& depths, float wallWidth,
                               RandomGenerator& random, std::vector<int>* edges) {
    CALLI_ASSERT(plot.isValid());
    const int n = plot.count();
    bool anyBuilt = false;
    for (int i = 0; i < n; ++i)
        anyBuilt = anyBuilt || built(depths, i);
    if (!anyBuilt) {
        Poly court = plot;
        for (Point& p : court.points())
            p.limit = kUnedificated;
        if (edges) {
            edges->resize(n);
            for (int i = 0; i < n; ++i)
                (*edges)[i] = i;
        }
        return court;
    }
    CALLI_ASSERT(plot.canInset(depths));
    Poly inner = plot.inset(depths);
    for (int i = 0; i < n; ++i)
        inner[i].limit = built(depths, i) ? kEdificatedT : 0;

    // Squaring: the end of a wing's inner edge may move so that it meets the
    // next inner edge at a right angle, if the wing stays a valid quadrilateral.
    for (int i = 0; i < n; ++i) {
        if (!built(depths, i))
            continue;
        if (static_cast<int>(4 * random.uniform()) != 0)
            continue;
        const int next = (i + 1) % n, after = (i + 2) % n;
        const Vec2 moved = footOnLine(inner[i].vec(), inner[next].vec(), inner[after].vec());
        Poly wing;
        wing.addPoint(plot[i]);
        wing.addPoint(plot[next]);
        wing.addPoint({moved.x, moved.y, 0});
        wing.addPoint(inner[i]);
        // The next inner edge must keep its direction, or the court would fold.
        const Vec2 following = inner[after].vec() - inner[next].vec();
        if (wing.isValid(4) && (inner[after].vec() - moved).dot(following) > 0.0f) {
            inner[next].x = moved.x;
            inner[next].y = moved.y;
        }
    }

    // Partition points along every wing, then who owns each corner between two wings.
    std::vector<std::vector<Point>> found(n);
    bool cornerLeft = false;  // the previous wing left the corner at this edge's start to this one
    for (int i = 0; i < n; ++i) {
        if (!built(depths, i))
            continue;
        const int next = (i + 1) % n;
        const Segment edge{inner[i].x, inner[i].y, inner[next].x, inner[next].y, 0};
        const float length = edge.length();
        if (i != 0 && cornerLeft)
            found[i].push_back({inner[i].x, inner[i].y, kCornerIn});
        // A partition closer to the wing's end than a wall and a metre would
        // leave a sliver of a room there: the step is drawn but not built.
        const float lastRoom = wallWidth + 1.0f;
        float along = 0.0f;
        for (;;) {
            along += static_cast<float>(random.range(wallWidth + 2.0, 2.0 * (wallWidth + 2.0)));
            if (!(along < length))
                break;
            if (length - along >= lastRoom) {
                const Vec2 p = edge.pointAt(along / length);
                found[i].push_back({p.x, p.y, kEdificatedT});
            }
        }
        cornerLeft = false;
        if (built(depths, next)) {
            const bool take = i == n - 1 || static_cast<int>(2 * random.uniform()) == 0;
            if (take)
                found[i].push_back({inner[next].x, inner[next].y, kCornerOut});
            cornerLeft = !take;
        }
    }

    // Assembly with the merging rule of Poly::addPoint, keeping beside every
    // point the plot edge its court segment runs along.
    Poly court;
    std::vector<int> along;
    auto add = [&](const Point& p, int edge) {
        if (court.count() > 0 && court[0].coincides(p)) {
            court[0].limit = p.limit;
            along[0] = edge;
        } else if (court.count() > 0 && court[court.count() - 1].coincides(p)) {
            court[court.count() - 1].limit = p.limit;
            along.back() = edge;
        } else {
            court.append(p);
            along.push_back(edge);
        }
    };
    for (int i = 0; i < n; ++i) {
        if (!built(depths, i)) {
            add({inner[i].x, inner[i].y, kUnedificated}, i);
            continue;
        }
        if (court.empty() || court[court.count() - 1].limit != kCornerOut)
            add({inner[i].x, inner[i].y, kEdificatedCorner}, i);
        for (const Point& p : found[i])
            add(p, p.limit == kCornerOut ? (i + 1) % n : i);
    }
    if (edges)
        *edges = std::move(along);
    return court;
}

void TypBuiCourt::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    bool anyBuilt = false;
    for (int i = 0; i < poly.count(); ++i)
        anyBuilt = anyBuilt || built(constructionDepth, i);
    // Edited values can ask for a building lower than a storey, wings deeper
    // than the plot or a plot that crosses itself: it stays the block it is
    // drawn as.
    if (!(extrusion.height >= kMinHeight) || !poly.isValid() || (anyBuilt && !poly.canInset(constructionDepth))) {
        stayCoarse();
        return;
    }
    int floors = 0;
    bool putStairs = false;
    storeys(extrusion.height, anyBuilt, random, floors, putStairs);
    const float wallWidth = static_cast<float>(0.3 + 0.7 * random.uniform());
    const float corridorWidth =
        courtClosed ? 0.0f : static_cast<float>(random.range(2.0 * wallWidth + 0.5, 2.0 * wallWidth + 1.5));
    const auto planSeed = static_cast<uint32_t>(random.next());
    std::vector<int> courtEdges;
    const Poly court = courtPolygon(poly, constructionDepth, wallWidth, random, &courtEdges);
    auto plan = std::make_unique<TypRooCourtPlan>(poly, extrusion, this, planSeed, mainMaterialName(), court, floors,
                                                  corridorWidth, wallWidth, putStairs);
    plan->courtEdges = std::move(courtEdges);
    addChild(std::move(plan));

    const char* ground = random.uniform() * 100 < 50 ? "Land1" : "Soil1";
    const auto slabSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypConSlabSimple>(poly, Extrusion{extrusion.level - kGroundDepth, kGroundDepth}, this,
                                                slabSeed, ground));
}
