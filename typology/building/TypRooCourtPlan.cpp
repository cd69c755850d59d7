#include "typology/building/TypRooCourtPlan.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Assert.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRooCourtFloor.h"
#include "typology/building/TypRooRoofCourtFlat.h"
#include "typology/building/TypRooRoofCourtTiled.h"

const ClassName TypRooCourtPlan::kClassName{"TypRooCourtPlan"};

namespace {
const char* const kCourtNames[] = {"Unedificated", "Edificated corner", "Edificated T", "Edificated corner (in)",
                                   "Edificated corner (out)"};
const uint8_t kCourtValues[] = {32, 40, 8, 41, 42};
const LimitNames kCourtKinds{kCourtNames, kCourtValues, 5};

// A flat roof is this high, whatever the storey (metres).
constexpr float kFlatRoofHeight = 3.0f;
// A corner partition closer than 60 degrees to the owning wing's court side
// is turned square to that side.
constexpr float kMaxPartitionCosine = 0.5f;
// Partitions meeting the court segment at less than this sine are too flat
// to bound a corridor strip: the strip ends square there.
constexpr float kMinStripSine = 0.5f;

bool builtVertex(uint8_t kind) { return (kind & TypBuiCourt::kEdificatedT) != 0; }

// Tolerance for a point lying on a partition's line (metres).
constexpr float kOnLine = 1e-3f;
// A partition side shared over less than this is not built by anyone (metres).
constexpr float kUnshared = 1e-2f;

// Length of b lying along a; 0 unless both ends of b lie on a's line.
float sharedLength(const Segment& a, const Segment& b) {
    const float length = a.length();
    if (!(length > 0.0f) || std::fabs(a.signedDistance(b.start())) > kOnLine ||
        std::fabs(a.signedDistance(b.end())) > kOnLine)
        return 0.0f;
    const Vec2 u = a.direction() * (1.0f / length);
    float s0 = (b.start() - a.start()).dot(u), s1 = (b.end() - a.start()).dot(u);
    if (s0 > s1)
        std::swap(s0, s1);
    return std::max(0.0f, std::min(s1, length) - std::max(s0, 0.0f));
}

float cross(const Vec2& a, const Vec2& b) { return a.x * b.y - a.y * b.x; }

Vec2 unitNormal(const Vec2& a, const Vec2& b) {
    const Vec2 d = b - a;
    const float l = d.length();
    return l > 0.0f ? Vec2{-d.y / l, d.x / l} : Vec2{0.0f, 0.0f};
}

// Where the ray from `from` along dir meets the line through a and b; false
// when they are parallel.
bool rayOnLine(const Vec2& from, const Vec2& dir, const Vec2& a, const Vec2& b, Vec2& out, float* along = nullptr,
               float* t = nullptr) {
    const Vec2 e = b - a;
    const float denom = cross(dir, e);
    if (std::fabs(denom) < 1e-9f)
        return false;
    const float s = cross(a - from, e) / denom;
    out = from + dir * s;
    if (along)
        *along = s;
    if (t)
        *t = cross(a - from, dir) / denom;
    return true;
}
}  // namespace

// The court polygon read against the plot: the plot edge each court segment
// faces, and the foot on the plot of the partition at every built vertex.
struct TypRooCourtPlan::Ring {
    const Poly& plot;
    const Poly& court;
    int n = 0, m = 0;
    std::vector<int> facing;  // plot edge faced by court segment k, or -1
    std::vector<Vec2> foot;   // foot of the partition at vertex k
    std::vector<float> footT;  // its parameter along footEdge
    std::vector<int> footEdge;
    std::vector<bool> footValid;

    Ring(const Poly& plot_, const Poly& court_, const std::vector<int>& edges)
        : plot(plot_), court(court_), n(plot_.count()), m(court_.count()) {
        facing.assign(m, -1);
        if (static_cast<int>(edges.size()) == m)
            for (int k = 0; k < m; ++k)
                facing[k] = edges[k] >= 0 && edges[k] < n ? edges[k] : -1;
        else
            findFacing();
        findFeet();
    }

    // The nearest plot edge out along each court segment's normal from its midpoint.
    void findFacing() {
        for (int k = 0; k < m; ++k) {
            const Vec2 a = court[k].vec(), b = court[(k + 1) % m].vec();
            const Vec2 mid = (a + b) * 0.5f, normal = unitNormal(a, b);
            float best = 1e30f;
            for (int j = 0; j < n; ++j) {
                Vec2 hit;
                float s = 0, t = 0;
                if (!rayOnLine(mid, normal, plot[j].vec(), plot[(j + 1) % n].vec(), hit, &s, &t))
                    continue;
                if (s >= -1e-3f && s < best && t >= -1e-4f && t <= 1.0f + 1e-4f) {
                    best = s;
                    facing[k] = j;
                }
            }
        }
    }

    // The partition at a built vertex runs out square to its court segment to
    // the plot edge that segment faces; where that edge ends short of it, to
    // the nearest plot edge the partition meets.
    void findFeet() {
        foot.assign(m, {0.0f, 0.0f});
        footT.assign(m, 0.0f);
        footEdge.assign(m, -1);
        footValid.assign(m, false);
        for (int k = 0; k < m; ++k) {
            const uint8_t kind = court[k].limit;
            int segment = -1, owner = -1;
            Vec2 away;  // from the point along the court segment of the wing that owns the corner
            if (kind == TypBuiCourt::kEdificatedT || kind == TypBuiCourt::kCornerOut) {
                segment = k;
                owner = (k + m - 1) % m;
                away = court[owner].vec() - court[k].vec();
            } else if (kind == TypBuiCourt::kCornerIn) {
                segment = (k + m - 1) % m;
                owner = k;
                away = court[(k + 1) % m].vec() - court[k].vec();
            }
            if (segment < 0 || facing[segment] < 0)
                continue;
            Vec2 normal = unitNormal(court[segment].vec(), court[(segment + 1) % m].vec());
            // At a corner whose court turns inwards, that partition would run
            // back along the owning wing's court side: it is cut square to
            // that wing instead.
            const float awayLength = away.length();
            if (kind != TypBuiCourt::kEdificatedT && awayLength > 0.0f && facing[owner] >= 0 &&
                normal.dot(away) > kMaxPartitionCosine * awayLength) {
                segment = owner;
                normal = unitNormal(court[owner].vec(), court[(owner + 1) % m].vec());
            }
            const int e = facing[segment];
            float t = 0;
            if (rayOnLine(court[k].vec(), normal, plot[e].vec(), plot[(e + 1) % n].vec(), foot[k], nullptr, &t) &&
                t >= -1e-4f && t <= 1.0f + 1e-4f) {
                footValid[k] = true;
                footEdge[k] = e;
                footT[k] = t;
                continue;
            }
            // A corner partition that misses the edge its segment faces would
            // cross the owning wing's last partition near an acute plot
            // corner: it runs square to the owning wing instead.
            if (kind != TypBuiCourt::kEdificatedT && segment != owner && facing[owner] >= 0)
                normal = unitNormal(court[owner].vec(), court[(owner + 1) % m].vec());
            float best = 1e30f;
            for (int j = 0; j < n; ++j) {
                Vec2 hit;
                float s = 0;
                if (rayOnLine(court[k].vec(), normal, plot[j].vec(), plot[(j + 1) % n].vec(), hit, &s, &t) &&
                    s >= 0.0f && s < best && t >= -1e-4f && t <= 1.0f + 1e-4f) {
                    best = s;
                    foot[k] = hit;
                    footEdge[k] = j;
                    footT[k] = t;
                    footValid[k] = true;
                }
            }
        }
    }

    // Parameter of p along plot edge j (0 at its start, 1 at its end).
    float along(int j, const Vec2& p) const {
        const Vec2 a = plot[j].vec(), d = plot[(j + 1) % n].vec() - a;
        const float dd = d.dot(d);
        return dd > 0.0f ? (p - a).dot(d) / dd : 0.0f;
    }
    uint8_t plotKind(int j) const { return plot[((j % n) + n) % n].limit; }
};

TypRooCourtPlan::TypRooCourtPlan(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, uint32_t seed_,
                                 const char* materialName, const Poly& court, int floors_, float corridorWidth_,
                                 float wallWidth_, bool putStairs_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), courtPoly(court), floors(floors_),
      corridorWidth(corridorWidth_), wallWidth(wallWidth_), putStairs(putStairs_) {}

const ClassName& TypRooCourtPlan::className() const { return kClassName; }

void TypRooCourtPlan::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &buildingEdgeNames());
    // The court lies within the plot.
    ValueRange x = kCoordinateRange, y = kCoordinateRange;
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    if (poly.bounds(minX, minY, maxX, maxY)) {
        x = {minX, maxX};
        y = {minY, maxY};
    }
    declarePoly(courtPoly, list, "CourtPoly", &kCourtKinds, x, y);
    list.addFloat("Wall width", &wallWidth, {kMinWallWidth, kMaxWallWidth});
    // Every storey and the roof is a child.
    list.addInt("Floors", &floors, {0.0, Desc::kMaxChildren});
    list.addFloat("Corridor width", &corridorWidth, {0.0, kMaxCorridorWidth});
    list.addBool("Put stairs", &putStairs);
    TypRoo::declareParameters(list);
}

void TypRooCourtPlan::drawOwnShape(RenderContext& ctx) {
    ctx.extrudedPolygon(poly, extrusion, ownerBuilding ? &ownerBuilding->wallMaterial : material.get(), 0);
}

bool TypRooCourtPlan::segmentRoom(const Ring& ring, int k, float clearWidth, Poly& room, Poly& strip) const {
    room.clear();
    strip.clear();
    const int m = ring.m, n = ring.n;
    const int v = (k + 1) % m;
    const uint8_t ks = courtPoly[k].limit, ke = courtPoly[v].limit;
    const int e = ring.facing[k];
    if (ks == TypBuiCourt::kUnedificated || !builtVertex(ks) || e < 0)
        return false;
    const Vec2 ck = courtPoly[k].vec(), cv = courtPoly[v].vec();

    // The room's outer side runs along the plot outline from its start
    // position (edge a at ta) to its end position (edge b at tb). Beside an
    // unbuilt side the court corner itself lies on the plot outline.
    Vec2 fs;
    int a;
    float ta;
    uint8_t startKind;
    if (ks == TypBuiCourt::kEdificatedCorner) {
        a = (e + n - 1) % n;
        fs = ck;
        ta = ring.along(a, ck);
        startKind = ring.plotKind(a);
    } else {
        if (!ring.footValid[k])
            return false;
        fs = ring.foot[k];
        a = ring.footEdge[k];
        ta = ring.footT[k];
        startKind = ks == TypBuiCourt::kCornerIn ? kWallOut : kWallIn;
    }
    Vec2 fe;
    int b;
    float tb;
    uint8_t endKind;
    if (ke == TypBuiCourt::kUnedificated) {
        b = (e + 1) % n;
        fe = cv;
        tb = ring.along(b, cv);
        endKind = kCorridor;
    } else if (ke == TypBuiCourt::kEdificatedT || ke == TypBuiCourt::kCornerOut || ke == TypBuiCourt::kCornerIn) {
        if (!ring.footValid[v])
            return false;
        fe = ring.foot[v];
        b = ring.footEdge[v];
        tb = ring.footT[v];
        endKind = ke == TypBuiCourt::kCornerIn ? kWallIn : kWallOut;
    } else {
        return false;
    }

    auto plotSide = [&](Poly& p, const Vec2& from, const Vec2& to) {
        p.addPoint({from.x, from.y, ring.plotKind(a)});
        if (a != b || ta > tb)
            for (int j = a, steps = 0; j != b && steps < n; ++steps) {
                j = (j + 1) % n;
                p.addPoint({ring.plot[j].x, ring.plot[j].y, ring.plotKind(j)});
            }
        p.addPoint({to.x, to.y, endKind});
    };

    Poly plain;
    plotSide(plain, fs, fe);
    plain.addPoint({cv.x, cv.y, kCorridor});
    plain.addPoint({ck.x, ck.y, startKind});
    if (!plain.isValid())
        return false;
    room = plain;
    if (!(clearWidth > 0.0f))
        return true;

    // The corridor strip: the court segment moved out by the clear width,
    // cut by the side lines (beside an unbuilt side, the plot edge) where
    // they cross it steeply enough, else square.
    const bool startOnPlot = ks == TypBuiCourt::kEdificatedCorner, endOnPlot = ke == TypBuiCourt::kUnedificated;
    const Vec2 normal = unitNormal(ck, cv);
    const Vec2 dir = cv - ck;
    const float dirLength = dir.length();
    const Vec2 sk = ck + normal * clearWidth, sv = cv + normal * clearWidth;
    auto cut = [&](const Vec2& c, const Vec2& side, const Vec2& fallback, Vec2& out) {
        const float sideLength = side.length();
        float ahead = 0.0f;  // a side that meets the strip's line behind the court only crosses it
        if (sideLength > 0.0f && dirLength > 0.0f &&
            std::fabs(cross(side, dir)) / (sideLength * dirLength) >= kMinStripSine &&
            rayOnLine(c, side * (1.0f / sideLength), sk, sv, out, &ahead) && ahead > 0.0f)
            return true;
        out = fallback;
        return false;
    };
    Vec2 ss, se;
    const bool startUsed = cut(ck, (startOnPlot ? ring.plot[(a + 1) % n].vec() : fs) - ck, sk, ss);
    const bool endUsed = cut(cv, (endOnPlot ? ring.plot[b].vec() : fe) - cv, sv, se);
    Poly withStrip;
    plotSide(withStrip, startOnPlot && startUsed ? ss : fs, endOnPlot && endUsed ? se : fe);
    if (!endUsed)
        withStrip.addPoint({cv.x, cv.y, kCorridor});
    withStrip.addPoint({se.x, se.y, kCorridor});
    withStrip.addPoint({ss.x, ss.y, startUsed ? startKind : kCorridor});
    if (!startUsed)
        withStrip.addPoint({ck.x, ck.y, startKind});
    Poly corridor;
    corridor.addPoint({ck.x, ck.y, startUsed ? startKind : kWallOut});
    corridor.addPoint({ss.x, ss.y, kWallOut});
    corridor.addPoint({se.x, se.y, endUsed ? (endOnPlot ? ring.plotKind(b) : endKind) : kWallOut});
    corridor.addPoint({cv.x, cv.y, kCorridor});
    if (withStrip.isValid() && corridor.isValid(4)) {
        room = withStrip;
        strip = corridor;
    }
    return true;
}

void TypRooCourtPlan::addRoom(const Poly& room, uint8_t kind, float thickness) {
    roomPolys.push_back(room);
    wallLists.push_back(wallList(room, thickness));
    roomKinds.push_back(kind);
}

bool TypRooCourtPlan::layRooms(RandomGenerator& random) {
    const int m = courtPoly.count();
    builtVertices = 0;
    for (int k = 0; k < m; ++k)
        builtVertices += builtVertex(courtPoly[k].limit);
    wallLists.clear();
    roomKinds.clear();
    roomPolys.clear();
    roomsLeftOut = 0;
    stairsRoom = -1;
    // A court without built vertices is the plot itself: one unbuilt court
    // corner per plot corner. Edited kinds can break that.
    if (m > 0 && builtVertices == 0) {
        int unedificated = 0;
        for (int k = 0; k < m; ++k)
            unedificated += courtPoly[k].limit == TypBuiCourt::kUnedificated;
        if (unedificated != poly.count())
            return false;
    }

    const Ring ring(poly, courtPoly, courtEdges);
    int stairsSegment = -1;
    if (builtVertices > 0 && putStairs) {
        for (int attempt = 0; attempt < builtVertices && stairsSegment < 0; ++attempt) {
            int r = static_cast<int>(random.uniform() * builtVertices);
            int k = 0;
            for (; k < m; ++k)
                if (builtVertex(courtPoly[k].limit) && r-- == 0)
                    break;
            CALLI_ASSERT(k < m);
            Poly room, strip;
            if (segmentRoom(ring, k, 0.0f, room, strip))
                stairsSegment = k;
        }
    }

    open = corridorWidth != 0.0f || builtVertices == 0;
    const float halfWall = std::max(wallWidth * 0.5f, 0.3f);
    const float clearWidth = corridorWidth - wallWidth;
    const bool strips = open && clearWidth >= kMinCorridor;
    std::vector<Poly> corridors;
    for (int k = 0; k < m; ++k) {
        if (courtPoly[k].limit == TypBuiCourt::kUnedificated)
            continue;
        Poly room, strip;
        if (!segmentRoom(ring, k, strips ? clearWidth : 0.0f, room, strip)) {
            ++roomsLeftOut;
            continue;
        }
        if (k == stairsSegment)
            stairsRoom = static_cast<int>(roomPolys.size());
        addRoom(room, k == stairsSegment ? kStairsRoom : kEmptyRoom, wallWidth);
        if (strip.count() > 0)
            corridors.push_back(std::move(strip));
    }
    for (const Poly& strip : corridors)
        addRoom(strip, kCorridorRoom, halfWall);
    buildUnsharedPartitions(halfWall);

    if (courtPoly.isValid()) {
        Poly court = courtPoly;
        for (int k = 0; k < m; ++k) {
            uint8_t kind = kWallOut;
            if (!builtVertex(courtPoly[k].limit)) {
                kind = ring.facing[k] >= 0 ? ring.plotKind(ring.facing[k]) : kPartyWall;
                if (open && (kind == kEntry || kind == kPassing))
                    kind = kWallOut;
            }
            court[k].limit = kind;
        }
        addRoom(court, open ? kCourtRoom : kEmptyRoom, wallWidth);
    }
    findStreetLevels(floors > 0 ? extrusion.height / static_cast<float>(floors) : extrusion.height);
    return true;
}

// A room that kept no corridor strip reaches the court beside a neighbour
// that did: its whole side is left to that neighbour, whose room builds only
// the part beside it, and the strip's side leaves it back to the room. A
// partition side that nobody else builds any of is built by its own room.
void TypRooCourtPlan::buildUnsharedPartitions(float corridorWall) {
    for (size_t r = 0; r < roomPolys.size(); ++r) {
        Poly& room = roomPolys[r];
        bool changed = false;
        for (int i = 0; i < room.count(); ++i) {
            if (room[i].limit != kWallOut)
                continue;
            const Segment side = room.edge(i);
            float shared = 0.0f;
            for (size_t o = 0; o < roomPolys.size() && shared < kUnshared; ++o) {
                if (o == r)
                    continue;
                const Poly& other = roomPolys[o];
                for (int j = 0; j < other.count(); ++j)
                    if (other[j].limit != kWallOut)
                        shared += sharedLength(side, other.edge(j));
            }
            if (shared < kUnshared) {
                room[i].limit = kWallIn;
                changed = true;
            }
        }
        if (changed)
            wallLists[r] = wallList(room, roomKinds[r] == kCorridorRoom ? corridorWall : wallWidth);
    }
}

void TypRooCourtPlan::streetStorey(float above, float storeyHeight, int& storey, float& mismatch) {
    const float q = above / storeyHeight;
    const float whole = std::trunc(q);
    storey = static_cast<int>(whole);
    mismatch = (q - whole) * storeyHeight;
    if (mismatch > 0.5f) {
        ++storey;
        mismatch = storeyHeight - mismatch;
    }
    storey = std::max(storey, 0);
}

void TypRooCourtPlan::findStreetLevels(float storeyHeight) {
    const size_t rooms = roomPolys.size();
    roomStreetStorey.assign(rooms, 0);
    roomMismatch.assign(rooms, 1e30f);
    for (size_t r = 0; r < rooms; ++r) {
        if (roomKinds[r] != kEmptyRoom)
            continue;
        bool any = false;
        for (const Line& wall : wallLists[r]) {
            if (wall.limit == kEntry)
                roomKinds[r] = kEntryRoom;
            if (wall.limit != kFacade && wall.limit != kEntryFacade)
                continue;
            const Vec2 mid = wall.pointAt(0.5f);
            int storey = 0;
            float mismatch = 0.0f;
            streetStorey(groundAt(mid.x, mid.y) - extrusion.level, storeyHeight, storey, mismatch);
            roomStreetStorey[r] = any ? std::max(roomStreetStorey[r], storey) : storey;
            roomMismatch[r] = mismatch;
            any = true;
        }
    }
    // One entrance per entry facade of the plot: the room along it whose
    // floor meets the street best. An entry facade without a room along it
    // (an unbuilt side) opens onto the court and needs none.
    for (int j = 0; j < poly.count(); ++j) {
        if (poly[j].limit != kEntryFacade)
            continue;
        const Segment edge = poly.edge(j);
        int best = -1;
        for (size_t r = 0; r < rooms; ++r) {
            if (roomKinds[r] != kEmptyRoom && roomKinds[r] != kEntryRoom)
                continue;
            for (const Line& wall : wallLists[r]) {
                if (wall.limit != kEntryFacade)
                    continue;
                // On this edge, not only on its line: two entry facades
                // in line each get their own entrance.
                const Vec2 mid = wall.pointAt(0.5f);
                const float length = edge.length();
                const float along = length > 0.0f ? (mid - edge.start()).dot(edge.direction()) / length : 0.0f;
                if (std::fabs(edge.signedDistance(mid)) > kOnLine || along < -kOnLine || along > length + kOnLine)
                    continue;
                if (best < 0 || roomMismatch[r] < roomMismatch[best])
                    best = static_cast<int>(r);
            }
        }
        if (best >= 0)
            roomKinds[best] = kEntryRoom;
    }
}

std::vector<uint8_t> TypRooCourtPlan::storeyKinds(int storey) const {
    std::vector<uint8_t> kinds(roomKinds.size());
    for (size_t r = 0; r < roomKinds.size(); ++r) {
        uint8_t kind = roomKinds[r];
        const int street = r < roomStreetStorey.size() ? roomStreetStorey[r] : 0;
        if (kind == kEntryRoom && storey != street)
            kind = kEmptyRoom;
        if (kind == kEmptyRoom) {
            if (storey < street)
                kind = kBuriedRoom;
            else if (storey == street)
                kind = kStreetLevelRoom;
        }
        kinds[r] = kind;
    }
    return kinds;
}

std::unique_ptr<TypRoo> TypRooCourtPlan::makeRoof(int kind, const Extrusion& e, uint32_t seed_,
                                                  const char* materialName) {
    switch (kind) {
    case 0:
        return std::make_unique<TypRooRoofCourtFlat>(poly, Extrusion{e.level, kFlatRoofHeight}, ownerBuilding, seed_,
                                                     "Floortile1", this);
    case 1:
        return std::make_unique<TypRooRoofCourtTiled>(poly, e, ownerBuilding, seed_, materialName, this);
    default:
        return nullptr;
    }
}

void TypRooCourtPlan::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    if (!layRooms(random)) {
        stayCoarse();
        return;
    }

    const char* storeyMaterial = "Steel1";
    int32_t facades = TypRooCourtFloor::kPortico, openings = TypRooCourtFloor::kOpeningsEmpty;
    if (open || extrusion.height <= kSteelHeight) {
        storeyMaterial = ownerBuilding ? ownerBuilding->wallMaterial.textureName() : nullptr;
        facades = TypRooCourtFloor::kWallSimple;
        const int r = static_cast<int>(random.uniform() * 100);
        openings = r < 50   ? TypRooCourtFloor::kOpeningsSimple
                   : r < 95 ? TypRooCourtFloor::kOpeningsBalcony
                            : TypRooCourtFloor::kOpeningsBanister;
    }

    const int storeys = std::max(builtVertices > 0 ? floors - 1 : floors, 0);
    const float storeyHeight = floors > 0 ? extrusion.height / static_cast<float>(floors) : extrusion.height;
    float level = extrusion.level;
    for (int f = 0; f < storeys; ++f) {
        if (tooManyChildren())
            break;
        const auto storeySeed = static_cast<uint32_t>(random.next());
        const Extrusion slab{level, storeyHeight, 2, static_cast<uint8_t>(f == 0 ? 1 : 2)};
        addChild(std::make_unique<TypRooCourtFloor>(poly, slab, ownerBuilding, storeySeed, storeyMaterial, this,
                                                    storeyKinds(f), facades, TypRooCourtFloor::kSectionsSimple,
                                                    openings));
        level += storeyHeight;
    }
    if (builtVertices > 0 && !tooManyChildren()) {
        const auto roofHeight = static_cast<float>(random.range(2.0, storeyHeight));
        const auto roofSeed = static_cast<uint32_t>(random.next());
        if (auto roof = makeRoof(open ? 1 : 0, Extrusion{level, roofHeight}, roofSeed, material->textureName()))
            addChild(std::move(roof));
    }
}

void TypRooCourtPlan::split(Line& line, uint8_t a, uint8_t b) {
    int n = 0;
    for (const Crossing& c : line.crossings)
        n += c.limit == kUndecided;
    const int middle = n / 2;
    int i = 0;
    for (Crossing& c : line.crossings)
        if (c.limit == kUndecided)
            c.limit = i++ == middle ? a : b;
}

void TypRooCourtPlan::all(Line& line, uint8_t x) {
    for (Crossing& c : line.crossings)
        if (c.limit == kUndecided)
            c.limit = x;
}
