#include "tools/tour/StreetWalk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

#include "core/Desc.h"
#include "tools/tour/Census.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypQuaIrregular.h"

namespace {

using namespace streetwalk;

// Shorter is no direction and no width (metres).
constexpr float kTiny = 0.05f;

Vec2 unit(const Vec2& v, const Vec2& fallback) {
    const float l = v.length();
    return l > kTiny ? v * (1.0f / l) : fallback;
}

// Crossing-number test of a point against a quadrilateral.
bool inside(const std::array<Vec2, 4>& q, const Vec2& p) {
    bool in = false;
    for (size_t i = 0, j = 3; i < 4; j = i++) {
        const Vec2 a = q[i], b = q[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (b.x - a.x) * (p.y - a.y) / (b.y - a.y))
            in = !in;
    }
    return in;
}

// How far into the piece (from its street's middle, edge 1) its walk line
// runs, for a piece `width` metres wide.
float walkOffset(const TypBuiStreet& street, float width) {
    const float middle = 0.5f * width;
    if (street.variant == TypBuiStreet::kCentury20)
        return std::min(std::max(middle, kPastCars), std::max(middle, width - kShortOfLamps));
    if (street.variant == TypBuiStreet::kMarket) {
        // Verge, stall row, then the lane, counted from the building line.
        using M = TypBuiStreetMarket;
        if (width - 2 * M::kVerge >= M::kStallDepth + M::kLane)
            return width - (M::kVerge + M::kStallDepth + 0.5f * M::kLane);
    }
    return middle;
}

void collectPieces(Desc& d, const Matrix44& frame, StreetPieces& out) {
    if (dynamic_cast<TypEst*>(&d)) {
        d.refine(Matrix44::identity());
        for (int i = 0; i < d.childCount(); ++i) {
            auto* street = dynamic_cast<TypBuiStreet*>(d.child(i));
            if (!street || street->poly.count() != 4)
                continue;
            StreetPieces::Piece piece;
            for (int k = 0; k < 4; ++k) {
                const Vector w = frame.transformPoint({street->poly[k].x, 0, street->poly[k].y});
                piece.corners[k] = {w.x, w.z};
            }
            const auto& c = piece.corners;
            // Edge 0 runs from the building line (corner 0) to the middle (corner
            // 1), edge 2 from the middle (corner 2) to the building line (corner 3).
            const float start = (c[0] - c[1]).length(), end = (c[3] - c[2]).length();
            if (!(start > kTiny && end > kTiny))
                continue;
            const float offset = walkOffset(*street, std::min(start, end));
            piece.from = c[1] + (c[0] - c[1]) * (offset / start);
            piece.to = c[2] + (c[3] - c[2]) * (offset / end);
            if ((piece.to - piece.from).length() > kSamePlace)
                out.pieces.push_back(piece);
        }
        return;
    }
    d.refine(Matrix44::identity());
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* child = dynamic_cast<Desc*>(d.child(i)))
            collectPieces(*child, frame, out);
}

// The places (merged line ends) and the ways between them.
struct WalkGraph {
    std::vector<Vec2> places;
    std::vector<std::vector<int>> ways;

    int place(const Vec2& p) {
        for (size_t i = 0; i < places.size(); ++i)
            if ((places[i] - p).length() <= kSamePlace)
                return static_cast<int>(i);
        places.push_back(p);
        ways.emplace_back();
        return static_cast<int>(places.size()) - 1;
    }
    void join(int a, int b) {
        if (a == b || std::find(ways[a].begin(), ways[a].end(), b) != ways[a].end())
            return;
        ways[a].push_back(b);
        ways[b].push_back(a);
    }
};

WalkGraph buildGraph(const StreetPieces& streets) {
    WalkGraph g;
    struct End {
        int place;
        Vec2 out;  // unit direction leaving the line at this end
        size_t piece;
    };
    std::vector<End> ends;
    for (size_t i = 0; i < streets.pieces.size(); ++i) {
        const auto& p = streets.pieces[i];
        const int a = g.place(p.from), b = g.place(p.to);
        g.join(a, b);
        const Vec2 along = unit(p.to - p.from, {1, 0});
        ends.push_back({a, along * -1.0f, i});
        ends.push_back({b, along, i});
    }
    for (size_t i = 0; i < ends.size(); ++i)
        for (size_t j = i + 1; j < ends.size(); ++j) {
            const End& e = ends[i];
            const End& f = ends[j];
            if (e.piece == f.piece || e.place == f.place)
                continue;
            const Vec2 a = g.places[e.place], b = g.places[f.place];
            const Vec2 v = b - a;
            const float l = v.length();
            if (l > kCrossingLink)
                continue;
            if (l > kCornerLink) {
                // Straight across: the way leaves one line's end along it and
                // enters the other's along it.
                const Vec2 u = v * (1.0f / l);
                if (u.dot(e.out) < std::cos(kCrossingAngle) || (u * -1.0f).dot(f.out) < std::cos(kCrossingAngle))
                    continue;
            }
            if (streets.paved(a, b))
                g.join(e.place, f.place);
        }
    return g;
}

// The way on from place `here` heading h: most straight on (sense 0), or
// turning furthest right (-1) or left (+1) by kMinTurn to kMaxTurn; -1 for none.
int choose(const WalkGraph& g, int here, const std::vector<int>& candidates, const Vec2& h, int sense) {
    int best = -1;
    float bestScore = -std::numeric_limits<float>::infinity();
    for (int c : candidates) {
        const Vec2 d = unit(g.places[c] - g.places[here], h);
        const float angle = std::atan2(h.cross(d), h.dot(d));  // positive: to the left
        float score = -std::fabs(angle);
        if (sense != 0) {
            const float turn = angle * static_cast<float>(sense);
            if (turn < kMinTurn || turn > kMaxTurn)
                continue;
            score = angle * static_cast<float>(sense);
        }
        if (score > bestScore) {
            bestScore = score;
            best = c;
        }
    }
    return best;
}

}  // namespace

bool StreetPieces::covers(const Vec2& p) const {
    const Vec2 around[5] = {p, p + Vec2(kOnPiece, 0), p - Vec2(kOnPiece, 0), p + Vec2(0, kOnPiece),
                            p - Vec2(0, kOnPiece)};
    for (const Piece& piece : pieces)
        for (const Vec2& q : around)
            if (inside(piece.corners, q))
                return true;
    return false;
}

bool StreetPieces::paved(const Vec2& a, const Vec2& b) const {
    const float l = (b - a).length();
    const int steps = std::max(1, static_cast<int>(std::ceil(l / 0.5f)));
    for (int i = 0; i <= steps; ++i)
        if (!covers(a + (b - a) * (static_cast<float>(i) / static_cast<float>(steps))))
            return false;
    return true;
}

StreetPieces quarterStreetPieces(Desc& world, const Vec2& point) {
    StreetPieces streets;
    Matrix44 frame;
    if (TypQuaIrregular* quarter = findQuarter(world, point.x, point.y, frame))
        collectPieces(*quarter, frame, streets);
    return streets;
}

std::vector<Vec2> walkStreets(const StreetPieces& streets, const Vec2& point, const Vec2& heading, float length) {
    std::vector<Vec2> route;
    const WalkGraph g = buildGraph(streets);
    int here = -1;
    float nearest = std::numeric_limits<float>::infinity();
    for (size_t i = 0; i < g.places.size(); ++i) {
        const float d = (g.places[i] - point).length();
        if (d < nearest && !g.ways[i].empty()) {
            nearest = d;
            here = static_cast<int>(i);
        }
    }
    if (here < 0)
        return route;

    std::set<std::pair<int, int>> walked;
    auto way = [](int a, int b) { return std::make_pair(std::min(a, b), std::max(a, b)); };
    // At every second choice a turn, right and left by turns.
    static constexpr int kPattern[4] = {0, -1, 0, +1};
    int choices = 0;
    int from = -1;
    Vec2 h = unit(heading, {1, 0});
    float walkedLength = 0;
    route.push_back(g.places[here]);
    // Bounded: every step but a dead end's adds a way of some length.
    for (int step = 0; step < 100000 && walkedLength < length; ++step) {
        std::vector<int> candidates;
        for (int c : g.ways[here])
            if (c != from)
                candidates.push_back(c);
        int next = -1;
        if (candidates.empty()) {
            next = from;  // a dead end: back the way it came
        } else if (candidates.size() == 1 || from < 0) {
            next = choose(g, here, candidates, h, 0);
        } else {
            std::vector<int> fresh;
            for (int c : candidates)
                if (!walked.count(way(here, c)))
                    fresh.push_back(c);
            const std::vector<int>& pool = fresh.empty() ? candidates : fresh;
            const int sense = kPattern[choices++ % 4];
            next = choose(g, here, pool, h, sense);
            if (next < 0)
                next = choose(g, here, pool, h, -sense);
            if (next < 0)
                next = choose(g, here, pool, h, 0);
        }
        if (next < 0)
            break;
        walked.insert(way(here, next));
        const Vec2 d = g.places[next] - g.places[here];
        walkedLength += d.length();
        h = unit(d, h);
        route.push_back(g.places[next]);
        from = here;
        here = next;
    }
    return route;
}
