#include "PropertySweepSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "core/PolyClip.h"
#include "typology/World.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

#include "TypologyTestSupport.h"

namespace sweep {

namespace {

// Of every class, this many targets, spread over the quarter.
constexpr int kTargetsPerClass = 3;
// Generated values tried per entry besides the smallest and the largest.
constexpr size_t kProducedSample = 4;

const char* const kTypedValues[] = {"nan", "inf", "-inf", "-1", "0", "1e30", "-1e30", "", "abc", "2147483647"};

uint64_t mix(uint64_t h, uint64_t v) { return (h ^ v) * 1099511628211ull; }

uint64_t bitsOf(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return u;
}

// Checks every number the descriptions hold and the drawables hand to the
// renderer; keeps the first that is not finite.
class FiniteCheck : public NullRenderContext {
public:
    FiniteCheck() { keepCalls = false; }
    std::string first;
    const Desc* at = nullptr;  // the description being looked at

    void extrudedPolygon(const Poly& poly, const Extrusion& e, Material*, int) override {
        check(poly, "extruded polygon");
        check(e, "extruded polygon");
    }
    void slabPolygon(const ClipPolygon& shape, const Extrusion& e, Material*) override {
        for (const Poly& p : shape.contours)
            check(p, "slab");
        check(e, "slab");
    }
    void placeModel(const Model*, const Matrix44& a, const float b[2], Material*) override {
        for (float v : a.m)
            note(v, "model placement");
        note(b[0], "model placement");
        note(b[1], "model placement");
    }
    void roofQuad(const Poly& poly, const float heights[4], float thickness, Material*) override {
        check(poly, "roof quad");
        for (int i = 0; i < 4; ++i)
            note(heights[i], "roof quad height");
        note(thickness, "roof quad thickness");
    }
    void terrainPolygon(const Poly& poly, const Terrain*, float depth, Material*) override {
        check(poly, "terrain polygon");
        note(depth, "terrain polygon depth");
    }
    void slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end, Material*) override {
        check(footprint, "sloped panel");
        check(start, "sloped panel");
        check(end, "sloped panel");
    }
    void drawGraph(const Graph&) override {}

    void note(float v, const char* what) {
        if (!std::isfinite(v) && first.empty())
            first = std::string(at ? at->className().name : "?") + " " + what + " " + std::to_string(v);
    }
    void check(const Poly& p, const char* what) {
        for (const Point& q : p.points()) {
            note(q.x, what);
            note(q.y, what);
        }
    }
    void check(const Extrusion& e, const char* what) {
        note(e.level, what);
        note(e.height, what);
    }
};

void checkSubtree(Desc& d, FiniteCheck& ctx) {
    ctx.at = &d;
    for (float v : {d.centre.x, d.centre.y, d.centre.z})
        ctx.note(v, "centre");
    ctx.note(d.radius, "radius");
    ctx.note(d.size, "size");
    if (auto* p = dynamic_cast<DescPoly*>(&d)) {
        ctx.check(p->poly, "polygon");
        ctx.check(p->extrusion, "extrusion");
    } else if (auto* l = dynamic_cast<DescLine*>(&d)) {
        for (float v : {l->line.x0, l->line.y0, l->line.x1, l->line.y1, l->line.width})
            ctx.note(v, "line");
        ctx.check(l->extrusion, "extrusion");
    }
    ctx.currentDescription = &d;
    d.drawOwnShape(ctx);
    for (int i = 0; i < d.childCount() && ctx.first.empty(); ++i) {
        Drawable* c = d.child(i);
        if (auto* cd = dynamic_cast<Desc*>(c)) {
            checkSubtree(*cd, ctx);
        } else {
            ctx.at = &d;
            ctx.currentDescription = &d;
            c->draw(ctx);
        }
    }
}

// "Construction Depth[3]" and "CourtPoly.p[12] X" stand for all their indices.
std::string entryKind(const std::string& name) {
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        out += name[i];
        if (name[i] == '[') {
            while (i + 1 < name.size() && name[i + 1] != ']')
                ++i;
        }
    }
    return out;
}

// Values the generator made for one entry kind of one class: the smallest,
// the largest and the first few others met.
struct Produced {
    std::set<std::string> texts;
    double low = INFINITY, high = -INFINITY;
    std::string lowText, highText;
    void add(const std::string& text) {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (!text.empty() && end != text.c_str() && !*end && std::isfinite(v)) {
            if (v < low) {
                low = v;
                lowText = text;
            }
            if (v > high) {
                high = v;
                highText = text;
            }
        }
        if (texts.size() < kProducedSample)
            texts.insert(text);
    }
    std::vector<std::string> values() const {
        std::vector<std::string> out(texts.begin(), texts.end());
        for (const std::string* t : {&lowText, &highText})
            if (!t->empty())
                out.push_back(*t);
        return out;
    }
};

}  // namespace

bool swept(const Parameter* p) { return p && !p->isPolygonEdit() && !p->saveValue().empty(); }

Desc* at(Desc& root, const Path& path) {
    Desc* d = &root;
    for (int i : path) {
        if (!d || i >= d->childCount())
            return nullptr;
        d = dynamic_cast<Desc*>(d->child(i));
    }
    return d;
}

uint64_t fingerprint(const Drawable& d) {
    uint64_t h = 1469598103934665603ull;
    for (const char* c = d.className().name; *c; ++c)
        h = mix(h, static_cast<uint8_t>(*c));
    h = mix(h, d.seed);
    if (auto* p = dynamic_cast<const DescPoly*>(&d)) {
        for (const Point& q : p->poly.points())
            h = mix(mix(mix(h, bitsOf(q.x)), bitsOf(q.y)), q.limit);
    } else if (auto* l = dynamic_cast<const DescLine*>(&d)) {
        for (float v : {l->line.x0, l->line.y0, l->line.x1, l->line.y1, l->line.width})
            h = mix(h, bitsOf(v));
    }
    if (auto* desc = dynamic_cast<const Desc*>(&d)) {
        h = mix(h, static_cast<uint64_t>(desc->childCount()));
        for (int i = 0; i < desc->childCount(); ++i)
            h = mix(h, fingerprint(*desc->child(i)));
    }
    return h;
}

std::string nonFinite(Desc& d) {
    FiniteCheck check;
    checkSubtree(d, check);
    return check.first;
}

std::string Case::describe() const {
    if (variant >= 0)
        return "variant " + std::to_string(variant) + " and back";
    return "\"" + name + "\" := \"" + value + "\"";
}

void Outcome::add(const Outcome& o) {
    tried += o.tried;
    written += o.written;
    refused += o.refused;
    regrows += o.regrows;
    slowRegrows += o.slowRegrows;
    if (o.slowestMs > slowestMs) {
        slowestMs = o.slowestMs;
        slowest = o.slowest;
    }
    failures.insert(failures.end(), o.failures.begin(), o.failures.end());
    slow.insert(slow.end(), o.slow.begin(), o.slow.end());
    notes.insert(notes.end(), o.notes.begin(), o.notes.end());
}

SweepWorld& SweepWorld::get() {
    static SweepWorld world;
    return world;
}

Desc& SweepWorld::root() { return *world_; }

SweepWorld::SweepWorld() : world_(buildWorld()) {
    Matrix44 frame;
    TypQuaIrregular* quarter = findQuarter(*world_, kCensusX, kCensusZ, frame);
    CALLI_ASSERT(quarter);
    growAll(*quarter);

    // Every description of the chain and the quarter, by class, in tree
    // order, and the values the generator gave every entry kind.
    std::map<std::string, std::vector<std::pair<Path, bool>>> byClass;
    std::map<std::string, std::map<std::string, Produced>> produced;  // class -> entry kind
    std::map<std::string, std::pair<std::string, int>> ownRefused;  // first example, count
    Path path;
    auto visit = [&](auto&& self, Desc& d, bool inQuarter) -> void {
        inQuarter = inQuarter || &d == quarter;
        const std::string name = d.className().name;
        ++descriptions;
        ++classes[name];
        byClass[name].emplace_back(path, inQuarter && &d != quarter);
        ParameterList list;
        d.declareParameters(list);
        for (int i = 0; i < list.count(); ++i) {
            const Parameter* p = list.record(i);
            if (!swept(p))
                continue;
            const std::string value = p->valueText();
            const std::string kind = entryKind(list.name(i));
            produced[name][kind].add(value);
            const std::string why = p->refusal(value.c_str());
            if (!why.empty()) {
                auto& [example, count] = ownRefused[name + " " + kind];
                if (count++ == 0)
                    example = name + " \"" + list.name(i) + "\" \"" + value + "\": " + why;
            }
        }
        if (!inQuarter) {
            // Above the quarter only the chain down to it.
            for (int i = 0; i < d.childCount(); ++i)
                if (auto* c = dynamic_cast<Desc*>(d.child(i)); c && (c == quarter || c->childCount() > 0)) {
                    path.push_back(i);
                    self(self, *c, false);
                    path.pop_back();
                }
            return;
        }
        for (int i = 0; i < d.childCount(); ++i)
            if (auto* c = dynamic_cast<Desc*>(d.child(i))) {
                path.push_back(i);
                self(self, *c, true);
                path.pop_back();
            }
    };
    visit(visit, *world_, false);
    for (const auto& [kind, example] : ownRefused)
        ownValuesRefused.push_back(example.first + " (" + std::to_string(example.second) + " descriptions)");

    for (const auto& [name, places] : byClass) {
        // First, middle and last in tree order.
        std::vector<size_t> picks;
        const size_t n = places.size();
        for (int k = 0; k < kTargetsPerClass && k < static_cast<int>(n); ++k) {
            const size_t at = n <= 1 ? 0 : k * (n - 1) / (kTargetsPerClass - 1);
            if (std::find(picks.begin(), picks.end(), at) == picks.end())
                picks.push_back(at);
        }
        for (size_t pick : picks) {
            Target t;
            t.path = places[pick].first;
            t.belowQuarter = places[pick].second;
            t.toLeaves = t.belowQuarter && !dynamic_cast<TypBlo*>(sweep::at(*world_, t.path));
            t.className = name;
            Desc* d = sweep::at(*world_, t.path);
            ParameterList list;
            d->declareParameters(list);
            for (int i = 0; i < list.count(); ++i) {
                const Parameter* p = list.record(i);
                if (!swept(p))
                    continue;
                std::vector<std::string> values(std::begin(kTypedValues), std::end(kTypedValues));
                ValueRange range;
                if (p->range(range))
                    for (double end : {range.min, range.max}) {
                        char text[64];
                        std::snprintf(text, sizeof text, "%.9g", end);
                        values.push_back(text);
                    }
                for (const std::string& v : produced[name][entryKind(list.name(i))].values())
                    values.push_back(v);
                std::set<std::string> seen;
                for (const std::string& v : values)
                    if (seen.insert(v).second)
                        t.cases.push_back(Case{i, list.name(i), v, -1});
            }
            targets.push_back(std::move(t));
        }
    }
}

}  // namespace sweep
