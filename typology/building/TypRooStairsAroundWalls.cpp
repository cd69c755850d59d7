#include "typology/building/TypRooStairsAroundWalls.h"

#include <cmath>
#include <memory>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypConStairsStraight.h"

const ClassName TypRooStairsAroundWalls::kClassName{"TypRooStairsAroundWalls"};

namespace {

// More risers than a flight can hold as children are no stair.
constexpr int kMaxSteps = 200;
// Landings, flights and galleries are timber.
const char* const kStairMaterial = "Wood1";

Poly quad(const Vec2 (&v)[4], const uint8_t (&limits)[4]);

// The ring between the walls' inner faces and the well, cut into a strip
// along each side and a piece at each corner. A strip runs square between
// the corner pieces; at a corner that turns into the room (reflex) the two
// strips would overlap in a w x w square, which becomes the corner piece.
class Ring {
public:
    Ring(const Poly& inner, const Poly& well, float w) : inner_(inner), well_(well), w_(w) {}

    // Unit direction of side i and the inward normal (the polygon lies on the right of its edges).
    Vec2 along(int i) const {
        const Vec2 d = inner_.edge(i).direction();
        return d * (1.0f / d.length());
    }
    Vec2 inward(int i) const { return along(i).perpendicular() * -1.0f; }
    bool reflex(int v) const {
        const int n = inner_.count();
        const Vec2 a = inner_.edge(v + n - 1).direction(), b = inner_.edge(v).direction();
        return a.x * b.y - a.y * b.x > 0;
    }
    // Where the strip of side i starts and ends, in metres along it from its first point.
    float start(int i) const {
        return reflex(i) ? 0.0f : (well_[i].vec() - inner_[i].vec()).dot(along(i));
    }
    float end(int i) const {
        const int j = (i + 1) % inner_.count();
        return reflex(j) ? inner_.edge(i).length() : (well_[j].vec() - inner_[i].vec()).dot(along(i));
    }
    float run(int i) const { return end(i) - start(i); }
    // The part of strip i from s0 to s1 metres past its start: wall side,
    // far cut, well side, near cut, with the given limits.
    Poly strip(int i, float s0, float s1, const uint8_t (&limits)[4]) const {
        const Vec2 p = inner_[i].vec(), u = along(i), in = inward(i) * w_;
        const Vec2 a = p + u * (start(i) + s0), b = p + u * (start(i) + s1);
        return quad({a, b, b + in, a + in}, limits);
    }
    // The piece at corner v. Outward corner: from the wall before it round
    // the corner to the well's corner, no side on the well. Reflex corner:
    // the square whose two sides on the well carry banisters.
    Poly corner(int v) const {
        const int n = inner_.count();
        const int before = (v + n - 1) % n;
        const Vec2 p = inner_[v].vec(), q = well_[v].vec();
        if (!reflex(v)) {
            const Vec2 a = p - along(before) * (inner_.edge(before).length() - end(before));
            const Vec2 b = p + along(v) * start(v);
            return quad({a, p, b, q}, {TypConBalcony::kWall, TypConBalcony::kWall, 0, 0});
        }
        const Vec2 x = p + inward(before) * w_, z = p + inward(v) * w_;
        Poly square = quad({p, x, q, z}, {0, TypConBalcony::kBanister, TypConBalcony::kBanister, 0});
        if (square.area2() < 0)
            square = quad({p, z, q, x}, {0, TypConBalcony::kBanister, TypConBalcony::kBanister, 0});
        return square;
    }

private:
    const Poly& inner_;
    const Poly& well_;
    float w_;
};

Poly quad(const Vec2 (&v)[4], const uint8_t (&limits)[4]) {
    Poly p;
    for (int i = 0; i < 4; ++i)
        p.addPoint(Point{v[i].x, v[i].y, limits[i]});
    return p;
}

// One piece of the ring, in climbing order: a flight (steps > 0) or a floor piece.
struct Piece {
    Poly poly;
    int steps = 0;
};

}  // namespace

TypRooStairsAroundWalls::TypRooStairsAroundWalls(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner,
                                                 uint32_t seed_, const char* materialName,
                                                 const std::vector<Line>* wallList_, bool ceiling_, int32_t facades_,
                                                 int32_t wallSections_, int32_t openings_)
    : TypRooSimple(kStairsRoom, poly_, extrusion_, owner, seed_, materialName, wallList_, ceiling_, facades_,
                   wallSections_, openings_) {}

const ClassName& TypRooStairsAroundWalls::className() const { return kClassName; }

void TypRooStairsAroundWalls::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Stairs width", &stairsWidth, ValueRange{0, 10});
    list.addFloat("Step width", &stepWidth, ValueRange{0, 2});
    list.addFloat("Step height", &stepHeight, ValueRange{0, 2});
    TypRooSimple::declareParameters(list);
}

void TypRooStairsAroundWalls::drawDimensions(int32_t s, float& width, float& tread, float& riser) {
    RandomGenerator& random = RandomGenerator::generation();
    random.seed(s);
    width = static_cast<float>(0.7 + 0.6 * random.uniform());
    tread = static_cast<float>(0.2 + 0.1 * random.uniform());
    riser = static_cast<float>(0.15 * (1 + random.uniform()));
}

int TypRooStairsAroundWalls::stepCount(float storeyHeight, float riser) {
    if (!(riser > 0) || !(storeyHeight > 0))
        return 0;
    const float n = std::ceil(storeyHeight / riser - kCountTolerance);
    return n >= 1 && n <= kMaxSteps ? static_cast<int>(n) : 0;
}

int TypRooStairsAroundWalls::sideSteps(float length, float tread, int remaining, float& used) {
    used = tread;
    if (!(tread > 0) || !(length > 0) || remaining <= 0)
        return 0;
    const float c = std::floor(length / tread + kCountTolerance);
    if (!(c >= 1))
        return 0;
    if (c > static_cast<float>(remaining))
        return remaining;
    const int capacity = static_cast<int>(c);
    used = length / static_cast<float>(capacity);
    return capacity;
}

TypRooStairsAroundWalls::Layout TypRooStairsAroundWalls::layout(const Poly& inner, float level, float height,
                                                                float width, float tread0, float riser0) {
    Layout out;
    const int n = inner.count();
    if (n < 4 || !(height > 0))
        return out;
    for (float w = width; w > kMinStairsWidth; w -= kWidthStep) {
        const std::vector<float> in(n, -w);
        if (!inner.canInset(in))
            continue;
        const Poly well = inner.inset(in);
        if (!well.isValid(n))
            continue;
        const Ring ring(inner, well, w);
        // A side shorter than its two corner pieces would let them overlap.
        bool roomy = true;
        for (int i = 0; i < n; ++i)
            roomy = roomy && ring.run(i) >= 0;
        if (!roomy)
            continue;
        float riser = riser0, tread = tread0;
        std::vector<int> steps(n, 0);
        std::vector<float> treads(n, 0.0f);
        int total = 0, remaining = 1;
        do {
            total = stepCount(height, riser);
            if (total == 0 || !(tread >= kMinTread))
                break;
            remaining = total;
            // The corridor side (0) takes no flight: the stair starts beside it.
            for (int i = 1; i < n; ++i) {
                steps[i] = sideSteps(ring.run(i), tread, remaining, treads[i]);
                remaining -= steps[i];
            }
            if (remaining == 0)
                break;
            riser += kRiserStep;
            tread -= kTreadStep;
        } while (riser < kMaxRiser);
        if (total == 0 || remaining != 0)
            continue;

        out.fitted = true;
        out.width = w;
        out.steps = total;
        out.riser = height / static_cast<float>(total);
        out.tread = tread;
        out.well = well;
        // The ring in climbing order: the corner before each side, then the
        // side, starting after the corridor side and ending with it.
        std::vector<Piece> pieces;
        for (int k = 1; k <= n; ++k) {
            const int i = k % n;
            Poly corner = ring.corner(i);
            if (corner.isValid(4))
                pieces.push_back({std::move(corner), 0});
            const float run = ring.run(i), climbRun = static_cast<float>(steps[i]) * treads[i];
            if (steps[i] > 0)
                pieces.push_back({ring.strip(i, 0, climbRun,
                                             {TypConStairsStraight::kWall, TypConStairsStraight::kEnd,
                                              TypConStairsStraight::kBanister, TypConStairsStraight::kBegin}),
                                  steps[i]});
            const float from = steps[i] > 0 ? climbRun : 0.0f;
            if (run - from > 1e-3f)
                pieces.push_back({ring.strip(i, from, run, {TypConBalcony::kWall, 0, TypConBalcony::kBanister, 0}), 0});
        }
        size_t first = pieces.size(), last = 0;
        for (size_t k = 0; k < pieces.size(); ++k)
            if (pieces[k].steps > 0) {
                first = std::min(first, k);
                last = k;
            }
        float at = level;
        for (size_t k = first; k <= last; ++k) {
            if (pieces[k].steps > 0) {
                out.flights.push_back({pieces[k].poly, at, pieces[k].steps});
                at += static_cast<float>(pieces[k].steps) * out.riser;
            } else if (pieces[k].poly.isValid(4)) {
                out.landings.push_back({pieces[k].poly, at});
            }
        }
        // After the last flight, round to the first: the floor above.
        bool top = true;
        for (size_t m = 1; m < pieces.size() - (last - first); ++m) {
            const Piece& p = pieces[(last + m) % pieces.size()];
            if (!p.poly.isValid(4))
                continue;
            if (top)
                out.landings.insert(out.landings.begin(), {p.poly, level + height});
            else
                out.galleries.push_back({p.poly, level + height});
            top = false;
        }
        return out;
    }
    return out;
}

void TypRooStairsAroundWalls::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    well.clear();
    if (stairsWidth == 0) {
        drawDimensions(static_cast<int32_t>(ownerBuilding ? ownerBuilding->seed : seed), stairsWidth, stepWidth,
                       stepHeight);
        random.seed(static_cast<int32_t>(seed));
    }
    generateWalls();
    Poly inner = innerPolygon();
    int corridor = -1;
    for (int i = 0; i < inner.count() && corridor < 0; ++i)
        if (inner[i].limit == kCorridor)
            corridor = i;
    // Only an edited polygon lacks the corridor side: the room keeps its walls.
    if (corridor < 0)
        return;
    inner.rotate(corridor);
    const Layout stair = layout(inner, extrusion.level, extrusion.height, stairsWidth, stepWidth, stepHeight);
    if (!stair.fitted)
        return;
    well = stair.well;
    auto addPlatform = [&](const Platform& p) {
        const auto platformSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypConBalcony>(p.poly, p.floor, kBanisterHeight, kBanisterWidth, ownerBuilding,
                                                 platformSeed, kStairMaterial));
    };
    for (const Platform& p : stair.landings)
        addPlatform(p);
    for (const Flight& f : stair.flights) {
        const auto flightSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypConStairsStraight>(
            f.poly, Extrusion{f.level, static_cast<float>(f.steps) * stair.riser}, f.steps, kBanisterHeight,
            ownerBuilding, flightSeed, kStairMaterial));
    }
    for (const Platform& p : stair.galleries)
        addPlatform(p);
}
