#include "tools/tour/Census.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <map>
#include <string>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/Model.h"
#include "core/NullRenderContext.h"
#include "core/PolyClip.h"
#include "core/Terrain.h"
#include "tools/tour/StreetWalk.h"
#include "tools/tour/TourPath.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/building/TypRooStairsAroundWalls.h"
#include "typology/construction/TypConStairsStraight.h"
#include "typology/town/TypQuaIrregular.h"

namespace {

// Counts the triangles the renderer would make of what it is asked to draw:
// caps and sides of prisms and slabs, surfaces and skirts of ground pieces.
class TriangleCounter : public NullRenderContext {
public:
    void extrudedPolygon(const Poly& poly, const Extrusion&, Material*, int) override {
        if (poly.count() >= 3)
            triangles += 2L * triangulate(poly).triangleCount() + 2L * poly.count();
    }
    void slabPolygon(const ClipPolygon& shape, const Extrusion&, Material*) override {
        long sides = 0;
        for (const Poly& c : shape.contours)
            sides += c.count();
        triangles += 2L * triangulate(shape).triangleCount() + 2 * sides;
    }
    void terrainPolygon(const Poly& poly, const Terrain*, float, Material*) override {
        if (poly.count() >= 3)
            triangles += triangulate(poly).triangleCount() + 2L * poly.count();
    }
    void roofQuad(const Poly&, const float[4], float, Material*) override { triangles += 12; }
    void placeModel(const Model* model, const Matrix44&, const float[2], Material*) override {
        if (model)
            for (const ModelMesh& mesh : model->meshes)
                triangles += static_cast<long>(mesh.faces.size());
    }
    void slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end, Material* m) override {
        extrudedPolygon(footprint, start, m, 0);
        (void)end;
    }

    long triangles = 0;
};

struct Tally {
    long nodes = 0;      // descriptions
    long drawables = 0;  // geometry leaves
    long triangles = 0;
    long stairsRooms = 0, unfittedStairs = 0;  // stairs rooms, and those where no stair fits
    std::map<std::string, long> classes;
};

void tally(Drawable& d, Tally& t, TriangleCounter& counter) {
    ++t.classes[d.className().name];
    if (auto* placed = dynamic_cast<DrawableModel*>(&d))
        ++t.classes[std::string("model ") + (placed->model ? placed->model->name : "(unbound)")];
    if (auto* desc = dynamic_cast<Desc*>(&d)) {
        ++t.nodes;
        if (dynamic_cast<TypRooStairsAroundWalls*>(desc)) {
            ++t.stairsRooms;
            bool flight = false;
            for (int i = 0; i < desc->childCount(); ++i)
                flight = flight || dynamic_cast<TypConStairsStraight*>(desc->child(i));
            t.unfittedStairs += flight ? 0 : 1;
        }
        for (int i = 0; i < desc->childCount(); ++i)
            tally(*desc->child(i), t, counter);
        return;
    }
    ++t.drawables;
    const long before = counter.triangles;
    d.draw(counter);
    t.triangles += counter.triangles - before;
}

Tally tallyOf(Desc& root) {
    Tally t;
    TriangleCounter counter;
    tally(root, t, counter);
    return t;
}

void collectCourts(Desc& d, std::vector<TypBuiCourt*>& out) {
    if (auto* court = dynamic_cast<TypBuiCourt*>(&d)) {
        out.push_back(court);
        return;
    }
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            collectCourts(*c, out);
}

long modelCount(const Tally& t) {
    long n = 0;
    for (const auto& [name, count] : t.classes)
        if (name.rfind("model ", 0) == 0)
            n += count;
    return n;
}

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size()))) - 1;
    return v[std::min(i, v.size() - 1)];
}

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void collectStreets(Desc& d, std::vector<TypBuiStreet*>& out) {
    if (auto* street = dynamic_cast<TypBuiStreet*>(&d)) {
        out.push_back(street);
        return;
    }
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            collectStreets(*c, out);
}

void growToLeaves(Desc& d) {
    d.refine(Matrix44::identity());
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            growToLeaves(*c);
}

Vector groundPointAhead(const Terrain& ground, const Vector& eye, const Vector& target) {
    const Vector dir = (target - eye).normalized();
    for (float s = 0; s < 10000.0f; s += 1.0f) {
        const Vector p = eye + dir * s;
        if (p.y <= ground.height(p.x, p.z))
            return p;
    }
    return eye;
}

Vec2 censusPoint(const Terrain& ground, const float* at) {
    if (at)
        return {at[0], at[1]};
    const Vector p = groundPointAhead(ground, TourPath::kStartEye, TourPath::kStartTarget);
    return {p.x, p.z};
}

TypQuaIrregular* censusQuarter(Desc& world, const Terrain& ground, const float* at, Matrix44& frame) {
    const Vec2 point = censusPoint(ground, at);
    return findQuarter(world, point.x, point.y, frame);
}

std::vector<Vec2> streetRouteAt(Desc& world, const Vec2& point) {
    const Vector forward = TourPath::kStartTarget - TourPath::kStartEye;
    const std::vector<Vec2> route = walkStreets(quarterStreetPieces(world, point), point, {forward.x, forward.z});
    // The tour grows the world itself, nearest first from its own camera.
    world.releaseChildren();
    return route;
}

namespace {

int census(Desc& world, float x, float z, std::FILE* out) {
    Matrix44 frame;
    TypQuaIrregular* quarter = findQuarter(world, x, z, frame);
    if (!quarter) {
        std::fprintf(out, "census: no quarter at %.1f,%.1f\n", x, z);
        return 2;
    }
    quarter->releaseChildren();
    const auto start = std::chrono::steady_clock::now();
    growToLeaves(*quarter);
    const double quarterMs = msSince(start);
    const Tally all = tallyOf(*quarter);
    const uint64_t first = treeFingerprint(*quarter);

    std::vector<TypBuiCourt*> courts;
    collectCourts(*quarter, courts);
    std::vector<double> times;
    std::vector<Tally> tallies;
    for (TypBuiCourt* court : courts) {
        court->releaseChildren();
        const auto begin = std::chrono::steady_clock::now();
        growToLeaves(*court);
        times.push_back(msSince(begin));
        tallies.push_back(tallyOf(*court));
    }

    // Street pieces by style: models placed and triangles, in all and per
    // piece; market streets also grown alone and timed.
    std::vector<TypBuiStreet*> streets;
    collectStreets(*quarter, streets);
    std::map<std::string, Tally> streetTallies;
    std::map<std::string, long> streetPieces;
    std::vector<double> marketTimes;
    for (TypBuiStreet* street : streets) {
        const std::string kind = street->className().name;
        const Tally t = tallyOf(*street);
        Tally& sum = streetTallies[kind];
        ++streetPieces[kind];
        sum.triangles += t.triangles;
        sum.classes["models"] += modelCount(t);
        if (street->variant == TypBuiStreet::kMarket) {
            street->releaseChildren();
            const auto begin = std::chrono::steady_clock::now();
            growToLeaves(*street);
            marketTimes.push_back(msSince(begin));
        }
    }

    for (const auto& [name, count] : all.classes)
        std::fprintf(out, "census: %s %ld\n", name.c_str(), count);
    for (const auto& [kind, t] : streetTallies) {
        const long pieces = streetPieces[kind];
        const long models = t.classes.at("models");
        std::fprintf(out, "census: street %s pieces %ld models %ld triangles %ld per-piece models %.1f triangles %.0f\n",
                     kind.c_str(), pieces, models, t.triangles, double(models) / double(pieces),
                     double(t.triangles) / double(pieces));
    }
    std::fprintf(out, "census: market-street median-ms %.3f max-ms %.3f (of %zu)\n", percentile(marketTimes, 0.5),
                 percentile(marketTimes, 1.0), marketTimes.size());
    std::fprintf(out, "census: nodes %ld drawables %ld triangles %ld ms %.1f\n", all.nodes, all.drawables,
                 all.triangles, quarterMs);
    std::fprintf(out, "census: stairs-rooms %ld without-stair %ld\n", all.stairsRooms, all.unfittedStairs);
    std::fprintf(out, "census: court-building median-ms %.3f p99-ms %.3f\n", percentile(times, 0.5),
                 percentile(times, 0.99));
    if (!tallies.empty()) {
        // The court building of median size stands for the typical one.
        std::vector<size_t> order(tallies.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return tallies[a].nodes < tallies[b].nodes; });
        const size_t typical = order[order.size() / 2];
        std::fprintf(stderr,
                     "callimora-tour: typical court building: nodes %ld drawables %ld triangles %ld ms %.3f (of %zu)\n",
                     tallies[typical].nodes, tallies[typical].drawables, tallies[typical].triangles, times[typical],
                     courts.size());
        std::vector<size_t> stairs;
        for (size_t i : order)
            if (tallies[i].stairsRooms > 0)
                stairs.push_back(i);
        if (!stairs.empty()) {
            const size_t withStairs = stairs[stairs.size() / 2];
            std::fprintf(stderr,
                         "callimora-tour: typical court building with stairs: nodes %ld drawables %ld triangles %ld "
                         "ms %.3f seed %u (of %zu)\n",
                         tallies[withStairs].nodes, tallies[withStairs].drawables, tallies[withStairs].triangles,
                         times[withStairs], courts[withStairs]->seed, stairs.size());
        }
    }
    std::fprintf(out, "fingerprint: %016" PRIx64 "\n", first);

    quarter->releaseChildren();
    growToLeaves(*quarter);
    const uint64_t second = treeFingerprint(*quarter);
    if (second != first) {
        std::fprintf(out, "fingerprint: %016" PRIx64 "\n", second);
        std::fprintf(stderr, "callimora-tour: the quarter grew differently after a collapse\n");
        return 1;
    }
    return 0;
}

}  // namespace

int runCensus(Desc& world, float x, float z, std::FILE* out) {
    try {
        return census(world, x, z, out);
    } catch (const AssertException& e) {
        std::fprintf(stderr, "callimora-tour: assertion failed: %s %d (%s)\n", e.source().c_str(), e.line(),
                     e.expression().c_str());
        return 3;
    }
}
