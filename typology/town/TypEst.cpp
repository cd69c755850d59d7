#include "typology/town/TypEst.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"
#include "typology/town/LandPoly.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypBuiSite.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/town/TypRegIrregular.h"

const ClassName TypEst::kClassName{"TypEst"};
const ClassName TypEstCourt::kClassName{"TypEstCourt"};
const ClassName TypEstRustic::kClassName{"TypEstRustic"};

namespace {
// Street bits without the corner and anchor bits, which only steer the cuts.
constexpr uint8_t kStreetBits = 0xCF;
// Building edge kinds written into the pieces handed to buildings.
constexpr uint8_t kPartyWall = 0;
constexpr uint8_t kFacade = 1;
constexpr uint8_t kEntryBit = 2;
constexpr uint8_t kPassing = 4;
// splitInTwo keeps the limits of the first piece with this limit.
constexpr uint8_t kKeepLimits = 255;
// The layout's cut across a too wide court starts between these fractions of the edge.
constexpr double kCutFractionBase = 0.4;
constexpr double kCutFractionSpread = 0.2;
// Above this height a small (triangular) piece drops the block's extra height.
constexpr float kTallHeight = 30.0f;
constexpr float kMinBuildingHeight = 4.0f;
// Of the open sites, those drawing 30 or more get "Land1".
constexpr int kLand2Share = 30;
// Street piece classes from one draw out of 100 (urban blocks).
constexpr int kPlainStreetMax = 20;
constexpr int kCentury20Max = 90;

const char* const kEstateLimitNames[] = {"Road in",  "Road in",  "Road in", "Road out", "Road out", "Road out",
                                         "Party",    "Party",    "Party",   "Party",    "Party",    "Party"};
const uint8_t kEstateLimitValues[] = {36, 20, 4, 34, 18, 2, 41, 25, 9, 40, 24, 8};
const LimitNames kEstateLimits{kEstateLimitNames, kEstateLimitValues, 12};

const char* const kVariantNames[] = {"Urban", "Rustic"};
const uint8_t kVariantValues[] = {0, 1};

// "Road in" and "Road out" become facades; other limits lose the cut bits.
uint8_t buildingEdge(uint8_t limit) {
    const uint8_t v = limit & kStreetBits;
    return v == landlimit::kRoadIn || v == landlimit::kRoadOut ? kFacade : v;
}

// The name the material is bound by, looking through an impostor cover.
const char* boundName(const Material* material) {
    if (material && material->isImpostor())
        material = static_cast<const ImpostorMaterial*>(material)->next.get();
    return material && material->record ? material->record->name.c_str() : nullptr;
}

int drawIndex(int count) { return static_cast<int>(RandomGenerator::generation().uniform() * count); }

Poly simplified(Poly poly, float minLength) {
    poly.simplify(minLength);
    return poly;
}

float maxCourtSideFor(const TypBlo* block) {
    return std::max(TypBloIrregular::kMinMaxCourtSide, block ? block->estatesSide * 0.5f : 0.0f);
}

// Both kinds of estate offer the other over the same plot: 0 a court estate
// with the default values, 1 a rustic one, else null. Owned by the caller.
Drawable* estateVariant(const TypEst& estate, const std::vector<float>& widths, int index) {
    const char* name = boundName(estate.material.get());
    if (index == 0)
        return new TypEstCourt(estate.poly, estate.pointNodes, estate.overHeight, estate.terrain, estate.parentBlock,
                               estate.seed, name, TypBloIrregular::kConstructionDepthMin, windingChoice::kLow,
                               maxCourtSideFor(estate.parentBlock), widths);
    if (index == 1)
        return new TypEstRustic(estate.poly, estate.pointNodes, estate.overHeight, estate.terrain,
                                estate.parentBlock, estate.seed, name, widths);
    return nullptr;
}

// The end of both estates' parameter lists: the variants entry, heading
// "TypEst", then DescPolyLand's.
void declareVariantsAndLand(TypEst& estate, ParameterList& list, uint8_t* variant) {
    list.setVariants(kVariantNames, 2, kVariantValues, variant);
    list.addHeading(TypEst::kClassName.name);
    estate.DescPolyLand::declareParameters(list);
}
}  // namespace

// ---- TypEst ----

TypEst::TypEst(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Terrain* land,
               TypBlo* parentBlock_, uint32_t seed_, const char* materialName)
    : DescPolyLand(poly_, overHeight_, land, seed_, materialName, std::move(nodes)), parentBlock(parentBlock_) {
    radius += kRadiusMargin;
}

const ClassName& TypEst::className() const { return kClassName; }

bool TypEst::urbanBlock() const { return parentBlock && parentBlock->urban; }

const LimitNames& TypEst::limitNames() { return kEstateLimits; }

int TypEst::streetPieceKind(uint32_t seed_, float slope) {
    RandomGenerator local(static_cast<int32_t>(seed_));
    const int r = static_cast<int>(local.uniform() * 100);
    if (r <= kCentury20Max)
        return r > kPlainStreetMax ? TypBuiStreet::kCentury20 : TypBuiStreet::kEmpty;
    return slope < kMarketSlope ? TypBuiStreet::kMarket : TypBuiStreet::kCentury20;
}

Poly TypEst::layStreetStrips(const std::vector<float>& widths) {
    const int n = poly.count();
    if (widths.empty() || static_cast<int>(widths.size()) != n)
        return {};
    std::vector<float> distances(n, 0.0f);
    for (int k = 0; k < n; ++k) {
        if ((poly[k].limit & kStreetBits) != landlimit::kRoadIn)
            continue;
        // Points inserted along a street carry the width they were jittered
        // with; the street's own sits on the nearest point before them that
        // is not an anchor.
        float width = widths[k];
        if (poly[k].limit & landlimit::kAnchor) {
            for (int s = 1; s < n; ++s) {
                const int b = (k - s + n) % n;
                if (!(poly[b].limit & landlimit::kAnchor)) {
                    width = widths[b];
                    break;
                }
            }
        }
        distances[k] = -width;
    }
    if (!poly.canInset(distances))
        return {};
    Poly inset = poly.inset(distances);
    if (inset.count() != n)
        return {};

    const bool urban = urbanBlock();
    const char* roadMaterial = urban ? "Road_slate" : "Road1";
    for (int k = 0; k < n; ++k) {
        if (distances[k] == 0.0f)
            continue;
        const int next = (k + 1) % n;
        Poly strip;
        strip.addPoint({inset[k].x, inset[k].y, kPartyWall});
        strip.addPoint({poly[k].x, poly[k].y, poly[k].limit});
        strip.addPoint({poly[next].x, poly[next].y, kPartyWall});
        strip.addPoint({inset[next].x, inset[next].y, kPartyWall});
        const auto pieceSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
        int kind = TypBuiStreet::kEmpty;
        if (urban) {
            float slope = 0.0f, low = 0.0f, high = 0.0f;
            const float area = strip.area();
            if (terrain && area > 0.0f && terrain->range(strip, low, high))
                slope = (high - low) / std::sqrt(area) * 100.0f;
            kind = streetPieceKind(seed, slope);
        }
        std::unique_ptr<TypBuiStreet> piece(TypBuiStreet::make(kind, strip, Extrusion{0.0f, kStreetOverHeight},
                                                               terrain, this, pieceSeed, roadMaterial));
        piece->fitTo(terrain, kStreetOverHeight);
        addChild(std::move(piece));
    }

    for (Point& p : inset.points())
        p.limit = buildingEdge(p.limit);
    inset.simplify(kSimplifyLength);
    return inset;
}

Poly TypEst::plainPlot() const {
    Poly plot = poly;
    for (Point& p : plot.points())
        p.limit = buildingEdge(p.limit);
    plot.simplify(kSimplifyLength);
    return plot;
}

void TypEst::addSite(const Poly& site, const char* materialName) {
    const float height = std::min(overHeight, kMaxSiteHeight);
    const auto siteSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    auto building = std::make_unique<TypBuiSite>(site, Extrusion{0.0f, height}, this, siteSeed, materialName, height);
    building->fitToTerrain();
    addChild(std::move(building));
}

// ---- TypEstCourt ----

TypEstCourt::TypEstCourt(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Terrain* land,
                         TypBlo* parentBlock_, uint32_t seed_, const char* materialName, float constructionDepthMin_,
                         float winding_, float maxCourtSide_, std::vector<float> widths_)
    : TypEst(poly_, std::move(nodes), overHeight_, land, parentBlock_, seed_, materialName),
      constructionDepthMin(constructionDepthMin_), winding(winding_), maxCourtSide(maxCourtSide_),
      widths(std::move(widths_)) {}

const ClassName& TypEstCourt::className() const { return kClassName; }

void TypEstCourt::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &limitNames());
    list.addFloat("Construction depth min", &constructionDepthMin, {2.0, 50.0});
    list.addFloatChoice("Winding (angle)", windingChoice::kNames, windingChoice::kChoiceCount,
                        windingChoice::kValues, &winding, windingChoice::kRange);
    list.addFloat("Max court side", &maxCourtSide, {TypBloIrregular::kMinMaxCourtSide, 1000.0});
    declareVariantsAndLand(*this, list, &variant);
}

Drawable* TypEstCourt::createVariant(int index) {
    return estateVariant(*this, widths, index);
}

void TypEstCourt::drawOwnShape(RenderContext& ctx) {
    ctx.extrudedPolygon(simplified(poly, kSimplifyLength), extrusion, material.get(), 0);
}

void TypEstCourt::generate() {
    Poly inset = layStreetStrips(widths);
    if (inset.empty()) {
        // A paved yard.
        addSite(plainPlot(), "Road_slate");
        return;
    }
    if (markEntryFacade(inset) == 0) {
        makeOpenSite(inset);
        return;
    }
    splitPending = true;
    depth_ = 0;
    courtLayout(inset, extrusion.height);
    splitPending = false;
}

int TypEstCourt::markEntryFacade(Poly& piece) {
    int facades = 0;
    for (Point& p : piece.points()) {
        p.limit = p.limit == kFacade ? kFacade : kPartyWall;
        facades += p.limit == kFacade;
    }
    if (facades == 0)
        return 0;
    int r = drawIndex(facades);
    for (Point& p : piece.points())
        if (p.limit == kFacade && r-- == 0) {
            p.limit |= kEntryBit;
            break;
        }
    return facades;
}

std::vector<float> TypEstCourt::layoutDepths(const Poly& piece, bool drawn) const {
    std::vector<float> depths(piece.count(), 0.0f);
    for (int e = 0; e < piece.count(); ++e) {
        if (piece[e].limit == kPassing)
            continue;
        depths[e] = drawn ? -static_cast<float>(RandomGenerator::generation().range(constructionDepthMin,
                                                                                     1.5 * constructionDepthMin))
                          : -constructionDepthMin;
    }
    return depths;
}

void TypEstCourt::courtLayout(const Poly& piece, float height) {
    if (piece.count() < 3)
        return;
    if (depth_ >= kMaxLayoutDepth) {
        makeOpenSite(piece);
        return;
    }
    struct DepthScope {
        int& depth;
        explicit DepthScope(int& d) : depth(d) { ++depth; }
        ~DepthScope() { --depth; }
    } scope(depth_);

    if (splitPending && !piece.isConvex()) {
        Poly a, b;
        piece.splitInTwo(a, b, kPassing, kEntryBit);
        courtLayout(a, height);
        courtLayout(b, height);
        return;
    }
    const bool pending = splitPending;
    splitPending = false;
    const std::vector<float> depths = layoutDepths(piece, true);
    switch (classify(piece, depths)) {
    case kOpen:
        makeOpenSite(piece);
        break;
    case kCourt:
        makeCourtBuilding(piece, depths, height);
        break;
    case kTooWide:
        splitCourt(piece, height);
        break;
    case kDegenerate:
        reduceWings(piece, depths, height);
        break;
    }
    splitPending = pending;
}

TypEstCourt::Shape TypEstCourt::classify(const Poly& piece, const std::vector<float>& depths) const {
    const int n = piece.count();
    int built = 0, runs = 0;
    for (int e = 0; e < n; ++e) {
        if (depths[e] == 0.0f)
            continue;
        ++built;
        if (depths[(e - 1 + n) % n] == 0.0f)
            ++runs;
    }
    if (built == 0)
        return kOpen;
    // A ring built all round is one run.
    if (built < n && runs >= 2)
        return kDegenerate;
    if (!piece.canInset(depths))
        return kDegenerate;
    const Poly court = piece.inset(depths);
    if (court.count() != n)
        return kDegenerate;
    Shape shape = kCourt;
    for (int e = 0; e < n; ++e) {
        const float length = court.edge(e).length();
        if (length < kMinCourtEdge || (depths[e] != 0.0f && length < kMinWingEdge))
            return kDegenerate;
        if (depths[e] == 0.0f && length > maxCourtSide)
            shape = kTooWide;
    }
    return shape;
}

void TypEstCourt::reduceWings(const Poly& piece, std::vector<float> depths, float height) {
    const int n = piece.count();
    bool hasEntry = false;
    for (const Point& p : piece.points())
        hasEntry = hasEntry || (p.limit & kEntryBit);
    int start = 0;
    float longest = -1.0f;
    for (int e = 0; e < n; ++e) {
        const float length = piece.edge(e).length();
        if (length > longest) {
            longest = length;
            start = e;
        }
    }
    bool reset = false;
    for (;;) {
        for (int s = 0; s < n; ++s) {
            const int e = (start + s) % n;
            if (depths[e] == 0.0f || (hasEntry && (piece[e].limit & kEntryBit)))
                continue;
            depths[e] = 0.0f;
            switch (classify(piece, depths)) {
            case kDegenerate:
                continue;
            case kCourt:
                makeCourtBuilding(piece, depths, height);
                return;
            case kTooWide:
                splitCourt(piece, height);
                return;
            case kOpen:
                makeOpenSite(piece);
                return;
            }
        }
        // A full turn without a decision: first try again with the least
        // depths, then without sparing the entry, then give up on a court.
        if (!reset) {
            reset = true;
        } else if (hasEntry) {
            hasEntry = false;
        } else {
            break;
        }
        depths = layoutDepths(piece, false);
    }
    if (n < 4) {
        makeOpenSite(piece);
        return;
    }
    Poly a, b;
    const int result = piece.splitInTwo(a, b, kKeepLimits, kPassing);
    courtLayout(a, height);
    if (result == 1 || result == 2)
        courtLayout(b, height);
    else
        makeOpenSite(b);
}

void TypEstCourt::splitCourt(const Poly& piece, float height) {
    const int n = piece.count();
    auto& random = RandomGenerator::generation();
    int e = n - 1, k = -1;
    Vec2 cutStart, cutEnd;
    for (; e >= 0; --e) {
        const Segment edge = piece.edge(e);
        cutStart = edge.pointAt(static_cast<float>(kCutFractionSpread * random.uniform() + kCutFractionBase));
        const Vec2 along = edge.direction();
        const float heading = std::atan2(-along.x, along.y) + static_cast<float>(random.range(-winding, winding));
        const Vec2 d{std::cos(heading), std::sin(heading)};
        const Segment ray{cutStart.x, cutStart.y, cutStart.x + d.x, cutStart.y + d.y, 0};
        k = -1;
        float nearest = std::numeric_limits<float>::max();
        for (int h = 0; h < n; ++h) {
            Vec2 hit;
            const int code = intersect(ray, piece.edge(h), hit);
            if (code != 2 && code != 3)
                continue;
            const Vec2 v = hit - cutStart;
            if (v.dot(d) <= 0.0f)
                continue;
            const float squared = v.dot(v);
            if (squared < nearest) {
                nearest = squared;
                k = h;
                cutEnd = hit;
            }
        }
        if (k != -1 && k != e)
            break;
    }
    if (e < 0) {
        makeOpenSite(piece);
        return;
    }
    Poly first, second;
    first.addPoint({cutStart.x, cutStart.y, piece[e].limit});
    for (int i = (e + 1) % n;; i = (i + 1) % n) {
        first.addPoint(piece[i]);
        if (i == k)
            break;
    }
    first.addPoint({cutEnd.x, cutEnd.y, kPassing});
    second.addPoint({cutEnd.x, cutEnd.y, piece[k].limit});
    for (int i = (k + 1) % n;; i = (i + 1) % n) {
        second.addPoint(piece[i]);
        if (i == e)
            break;
    }
    second.addPoint({cutStart.x, cutStart.y, kPassing});
    courtLayout(first, height);
    courtLayout(second, height);
}

const char* TypEstCourt::roofMaterial(uint32_t seed_, float hb, bool& closed) {
    closed = hb > kClosedCourtHeight;
    if (closed)
        return "Floortile1";
    RandomGenerator local(static_cast<int32_t>(seed_));
    return static_cast<int>(2 * local.uniform()) == 0 ? "Slate1" : "Ceramic1";
}

const char* TypEstCourt::wallMaterial(uint32_t seed_) {
    RandomGenerator local(static_cast<int32_t>(seed_));
    local.next();
    const int r = static_cast<int>(local.uniform() * 100);
    if (r < 50)
        return "Brick1";
    if (r < 75)
        return "Lime1";
    if (r < 95)
        return "Lime_ochre";
    return "Lime_blue";
}

void TypEstCourt::makeCourtBuilding(const Poly& piece, const std::vector<float>& depths, float height) {
    float level = extrusion.level;
    float h = height;
    if (h < 0.0f) {
        level += h;
        h = -h;
    }
    float hb = h;
    if (h > kTallHeight && piece.count() < 4)
        hb = h - (overHeight - kMinBuildingHeight);
    bool closed = false;
    const char* roof = roofMaterial(seed, hb, closed);
    const char* wall = wallMaterial(seed);
    const auto buildingSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addChild(std::make_unique<TypBuiCourt>(piece, Extrusion{level, hb}, this, buildingSeed, roof, wall, depths,
                                           closed));
}

void TypEstCourt::makeOpenSite(Poly piece) {
    const char* materialName = drawIndex(100) >= kLand2Share ? "Land1" : "Land2";
    for (Point& p : piece.points())
        if (p.limit != 0)
            p.limit = kFacade;
    addSite(piece, materialName);
}

// ---- TypEstRustic ----

TypEstRustic::TypEstRustic(const Poly& poly_, std::vector<GraphNode*> nodes, float overHeight_, const Terrain* land,
                           TypBlo* parentBlock_, uint32_t seed_, const char* materialName, std::vector<float> widths_)
    : TypEst(poly_, std::move(nodes), overHeight_, land, parentBlock_, seed_, materialName),
      widths(std::move(widths_)) {}

const ClassName& TypEstRustic::className() const { return kClassName; }

void TypEstRustic::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &limitNames());
    declareVariantsAndLand(*this, list, &variant);
}

Drawable* TypEstRustic::createVariant(int index) {
    return estateVariant(*this, widths, index);
}

void TypEstRustic::drawOwnShape(RenderContext& ctx) {
    const Poly shape = simplified(poly, kSimplifyLength);
    if (terrain)
        ctx.terrainPolygon(shape, terrain, kSkirtDepth, material.get());
    else
        ctx.extrudedPolygon(shape, extrusion, material.get(), 0);
}

void TypEstRustic::generate() {
    Poly inset = layStreetStrips(widths);
    if (inset.empty())
        inset = plainPlot();
    addSite(inset, boundName(material.get()));
}
