#include "typology/building/TypRooRoofCourtTiled.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/PolyClip.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooGable.h"
#include "typology/building/TypRooRoofCourtFlat.h"

const ClassName TypRooRoofCourtTiled::kClassName{"TypRooRoofCourtTiled"};

namespace {
// Directions closer than this cosine are parallel.
constexpr float kParallelCosine = 0.9999f;
// The pieces tile the ring when their areas add up to it within this share (and kAreaSlack m²).
constexpr double kAreaShare = 1e-3;
constexpr double kAreaSlack = 0.01;

struct Ray {
    Vec2 at, dir;  // dir of unit length
};

float cross(const Vec2& a, const Vec2& b) { return a.x * b.y - a.y * b.x; }

Vec2 unit(const Vec2& v) {
    const float l = v.length();
    return l > 0.0f ? v * (1.0f / l) : Vec2{0.0f, 0.0f};
}

// Where the lines of a and b cross; false when parallel.
bool meet(const Ray& a, const Ray& b, Vec2& out) {
    const float d = cross(a.dir, b.dir);
    if (std::fabs(d) < 1e-6f)
        return false;
    out = a.at + a.dir * (cross(b.at - a.at, b.dir) / d);
    return std::isfinite(out.x) && std::isfinite(out.y);
}

// Distance of p from the line through a and b.
float distance(const Vec2& p, const Vec2& a, const Vec2& b) {
    const Vec2 d = b - a;
    const float l = d.length();
    return l > 0.0f ? std::fabs(cross(d, p - a)) / l : (p - a).length();
}

bool built(const Poly& ring, int i) { return ring[((i % ring.count()) + ring.count()) % ring.count()].limit != 0; }

TypRooRoofCourtTiled::Piece piece(std::initializer_list<Vec2> corners, std::initializer_list<uint8_t> kinds,
                                  std::initializer_list<float> heights) {
    TypRooRoofCourtTiled::Piece p;
    auto k = kinds.begin();
    auto h = heights.begin();
    int i = 0;
    for (const Vec2& c : corners) {
        p.poly.append({c.x, c.y, *k++});
        p.heights[i++] = *h++;
    }
    return p;
}

double ringArea(const Poly& outline, const Poly& ring) {
    return 0.5 * (static_cast<double>(outline.area2()) - static_cast<double>(ring.area2()));
}
}  // namespace

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

std::vector<TypRooRoofCourtTiled::Piece> TypRooRoofCourtTiled::pieces(const Poly& outline, const Poly& ring,
                                                                      float height) {
    using G = TypRooGable;
    const int n = outline.count();
    std::vector<Piece> out;
    if (n < 3 || ring.count() != n || !(height >= 0.0f))
        return out;
    auto O = [&](int i) { return outline[((i % n) + n) % n].vec(); };
    auto R = [&](int i) { return ring[((i % n) + n) % n].vec(); };

    // The ridge of every built wing: equally far from its eaves and its court
    // edge, through the crossing of their lines, or midway when they run parallel.
    std::vector<Ray> ridge(n);
    bool sound = true;
    for (int i = 0; i < n; ++i) {
        if (!built(ring, i))
            continue;
        const Vec2 uo = unit(O(i + 1) - O(i)), ur = unit(R(i + 1) - R(i));
        const float cosine = uo.dot(ur);
        Vec2 x;
        if (cosine > kParallelCosine || !meet({O(i), uo}, {R(i), ur}, x))
            ridge[i] = {(O(i) + R(i)) * 0.5f, uo};
        else
            ridge[i] = {x, unit(uo + ur)};
        sound = sound && cosine > 0.0f;
    }
    // The ridge's end at every corner: where the neighbouring ridges meet, or
    // where the ridge reaches the side line beside an unbuilt wing.
    std::vector<Vec2> top(n);
    std::vector<float> rise(n, 0.0f);
    for (int k = 0; k < n; ++k) {
        const bool before = built(ring, k - 1), after = built(ring, k);
        if (!before && !after)
            continue;
        const Ray side{O(k), unit(R(k) - O(k))};
        Vec2 s = (O(k) + R(k)) * 0.5f;
        if (before && after)
            meet(ridge[(k + n - 1) % n], ridge[k], s);
        else if (side.dir.length() > 0.0f)
            meet(before ? ridge[(k + n - 1) % n] : ridge[k], side, s);
        top[k] = s;
        float reach = 0.0f;
        if (before)
            reach = std::max(reach, distance(s, O(k - 1), O(k)));
        if (after)
            reach = std::max(reach, distance(s, O(k), O(k + 1)));
        rise[k] = std::min(height, kSlope * reach);
    }
    std::vector<Piece> street, court;
    for (int i = 0; sound && i < n; ++i) {
        if (!built(ring, i))
            continue;
        const uint8_t start = built(ring, i - 1) ? G::kGableOverlap : G::kGableTop;
        const uint8_t end = built(ring, i + 1) ? G::kGableOverlap : G::kGableTop;
        const int j = (i + 1) % n;
        street.push_back(piece({O(i), O(j), top[j], top[i]}, {G::kEaves, end, G::kGableOverlap, start},
                               {0.0f, 0.0f, rise[j], rise[i]}));
        court.push_back(piece({top[i], top[j], R(j), R(i)}, {G::kGableOverlapReverse, end, G::kEaves, start},
                              {rise[i], rise[j], 0.0f, 0.0f}));
    }
    double area = 0.0;
    for (const auto* side : {&street, &court})
        for (const Piece& p : *side) {
            sound = sound && p.poly.isValid(4);
            area += 0.5 * p.poly.area2();
        }
    const double expected = ringArea(outline, ring);
    if (sound && !street.empty() && std::fabs(area - expected) <= kAreaShare * expected + kAreaSlack) {
        out = std::move(street);
        out.insert(out.end(), court.begin(), court.end());
        return out;
    }

    // One slope per wing from the eaves up to the court, as high as the
    // shallowest wing allows, closed by a level gable over the court.
    float shallowest = 1e30f;
    for (int i = 0; i < n; ++i)
        if (built(ring, i))
            shallowest = std::min({shallowest, distance(R(i), O(i), O(i + 1)), distance(R(i + 1), O(i), O(i + 1))});
    const float lean = std::min(height, kSlope * shallowest);
    for (int i = 0; i < n; ++i) {
        if (!built(ring, i))
            continue;
        const uint8_t start = built(ring, i - 1) ? G::kGableOverlap : G::kGableTop;
        const uint8_t end = built(ring, i + 1) ? G::kGableOverlap : G::kGableTop;
        const int j = (i + 1) % n;
        out.push_back(piece({O(i), O(j), R(j), R(i)}, {G::kEaves, end, G::kGableTop, start}, {0.0f, 0.0f, lean, lean}));
    }
    return out;
}

void TypRooRoofCourtTiled::generate() {
    if (!(extrusion.height > kKneeHeight)) {
        stayCoarse();
        return;
    }
    RandomGenerator& random = RandomGenerator::generation();
    const int n = poly.count();
    Poly ring;
    TypRooRoofCourtFlat::innerRing(plan, n, ring);
    const float projection = static_cast<float>(kMinProjection + kProjectionRange * random.uniform());

    // The eaves reach out over the facades of built wings.
    std::vector<float> distances(n, 0.0f);
    for (int i = 0; i < n && !ring.empty(); ++i)
        if ((poly[i].limit & 1) && ring[i].limit != 0)
            distances[i] = projection;
    const Poly outline = poly.canInset(distances) ? poly.inset(distances) : poly;

    ClipPolygon knee;
    const Poly kneeOuter = outline.canInset(std::vector<float>(n, -kKneeInset))
                               ? outline.insetUniform(-kKneeInset)
                               : Poly();
    if (kneeOuter.isValid())
        knee.add(kneeOuter, false);
    if (!ring.empty() && ring.canInset(std::vector<float>(n, kKneeInset))) {
        const Poly court = ring.insetUniform(kKneeInset);
        if (court.isValid())
            knee = clipPolygons(ClipOp::Difference, knee, ClipPolygon{{court}, {false}});
    }
    TypRooRoofCourtFlat::addContourPanels(*this, knee, kKneeWidth, Extrusion{extrusion.level, kKneeHeight});

    const float height = extrusion.height - kKneeHeight;
    for (const Piece& p : pieces(outline, ring, height)) {
        if (tooManyChildren())
            break;
        const auto pieceSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypRooGable>(p.poly, Extrusion{extrusion.level + kKneeHeight, height},
                                               ownerBuilding, pieceSeed, material->textureName(), p.heights,
                                               projection));
    }
}
