#include "core/lod/OcclusionBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// Grid units of the finest level per normalised device unit.
constexpr float kHalfFinest = OcclusionBuffer::kFinestSize / 2;
constexpr int kLastCell = OcclusionBuffer::kFinestSize - 1;
// Triangles with a smaller doubled area (in cells) are too thin to cover a sample.
constexpr float kDegenerateArea = 0.0001f;
// Barycentric slack that keeps samples on a shared edge inside both triangles
// despite rounding.
constexpr float kEdgeTolerance = 1e-5f;
// Query coordinates stay below 1 so that the last cell of a level is the largest index.
constexpr float kLastCoordinate = 0.9999f;
// A frame is poor when at most this share of the queries were hidden...
constexpr float kPoorHitRatio = 0.1f;
// ... and at most this many of them at a coarse level.
constexpr int kPoorCoarseHits = 10;
// Frames on trial before culling counts as paying; poor frames in a row
// before it is switched off; frames off before it is tried again.
constexpr int kTrialFrames = 3;
constexpr int kPoorFrames = 10;
constexpr int kOffFrames = 50;

float row(const Matrix44& m, int r, const float* p) {
    return m.m[r * 4] * p[0] + m.m[r * 4 + 1] * p[1] + m.m[r * 4 + 2] * p[2] + m.m[r * 4 + 3];
}

int clampCell(float v) {
    if (!(v > 0))
        return 0;
    return v >= kLastCell ? kLastCell : static_cast<int>(v);
}

int clampCorner(float v) {
    if (!(v > 0))
        return 0;
    return v >= OcclusionBuffer::kFinestSize ? OcclusionBuffer::kFinestSize : static_cast<int>(v);
}

float clampUnit(float v) {
    if (!(v > 0))
        return 0;
    return std::min(v, kLastCoordinate);
}
}  // namespace

OcclusionBuffer::OcclusionBuffer() : levels_(clearedLevels()) {}

const std::array<std::vector<float>, OcclusionBuffer::kLevels>& OcclusionBuffer::clearedLevels() {
    static const std::array<std::vector<float>, kLevels> cleared = [] {
        std::array<std::vector<float>, kLevels> levels;
        for (int k = 0; k < kLevels; ++k)
            levels[k].assign(static_cast<size_t>(1) << (2 * k), kEmpty);
        return levels;
    }();
    return cleared;
}

void OcclusionBuffer::beginFrame(bool occlusionEnabled) {
    tests = hits = coarseHits = 0;
    if (active && occlusionEnabled)
        for (int k = 0; k < kLevels; ++k)
            std::copy(clearedLevels()[k].begin(), clearedLevels()[k].end(), levels_[k].begin());
}

void OcclusionBuffer::addOccluder(const float* positions, size_t strideBytes, int vertexCount,
                                  const uint16_t* indices, int triangleCount, const Matrix44& projection,
                                  const Matrix44& modelView) {
    if (vertexCount > kMaxOccluderVertices || vertexCount <= 0)
        return;
    const Matrix44 m = projection * modelView;
    float minX = kLastCell, minY = kLastCell, maxX = 0, maxY = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(positions);
    for (int i = 0; i < vertexCount; ++i) {
        float p[3];
        std::memcpy(p, bytes + static_cast<size_t>(i) * strideBytes, sizeof p);
        const float w = row(m, 3, p);
        if (!(w > 0))
            return;
        float* out = projected_[i];
        out[0] = (row(m, 0, p) / w + 1.0f) * kHalfFinest;
        out[1] = (row(m, 1, p) / w + 1.0f) * kHalfFinest;
        out[2] = row(modelView, 2, p);
        minX = std::min(minX, out[0]);
        minY = std::min(minY, out[1]);
        maxX = std::max(maxX, out[0]);
        maxY = std::max(maxY, out[1]);
    }
    int x0 = clampCell(minX), y0 = clampCell(minY), x1 = clampCell(maxX), y1 = clampCell(maxY);
    if (x1 - x0 < 2 || y1 - y0 < 2)
        return;
    for (int y = y0; y <= y1 + 1; ++y)
        std::fill_n(&cornerDepth_[y][x0], x1 + 2 - x0, kEmpty);
    for (int t = 0; t < triangleCount; ++t) {
        const uint16_t* tri = indices + 3 * t;
        if (tri[0] >= vertexCount || tri[1] >= vertexCount || tri[2] >= vertexCount)
            continue;
        const float* a = projected_[tri[0]];
        const float* b = projected_[tri[1]];
        const float* c = projected_[tri[2]];
        // Too near: its projection is unreliable. Triangles already marked stay.
        if (a[2] < kNearestOccluder || b[2] < kNearestOccluder || c[2] < kNearestOccluder)
            break;
        markCorners(a, b, c, x0, y0, x1 + 1, y1 + 1);
    }
    // A cell is covered when the mesh covers its four corners, and takes the
    // farthest of their depths, so that it never claims to be nearer than
    // the surface over it.
    std::vector<float>& finest = levels_[kFinestLevel];
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float far = std::max({cornerDepth_[y][x], cornerDepth_[y][x + 1], cornerDepth_[y + 1][x],
                                        cornerDepth_[y + 1][x + 1]});
            float& cell = finest[cellIndex(kFinestLevel, x, y)];
            cell = std::min(cell, far);
        }
    // Each coarser cell takes the farthest of its four children.
    for (int k = kFinestLevel - 1; k >= 0; --k) {
        x0 /= 2, y0 /= 2, x1 /= 2, y1 /= 2;
        const std::vector<float>& fine = levels_[k + 1];
        std::vector<float>& coarse = levels_[k];
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                coarse[cellIndex(k, x, y)] =
                    std::max({fine[cellIndex(k + 1, 2 * x, 2 * y)], fine[cellIndex(k + 1, 2 * x + 1, 2 * y)],
                              fine[cellIndex(k + 1, 2 * x, 2 * y + 1)], fine[cellIndex(k + 1, 2 * x + 1, 2 * y + 1)]});
    }
}

// Samples are the grid corners. A sample on an edge belongs to both
// triangles that share the edge, so that the triangles of one surface cover
// the cells along their common edges too.
void OcclusionBuffer::markCorners(const float* p0, const float* p1, const float* p2, int sx0, int sy0, int sx1,
                                  int sy1) {
    const int x0 = std::max(sx0, clampCorner(std::min({p0[0], p1[0], p2[0]})));
    const int x1 = std::min(sx1, clampCorner(std::max({p0[0], p1[0], p2[0]}) + 1));
    const int y0 = std::max(sy0, clampCorner(std::min({p0[1], p1[1], p2[1]})));
    const int y1 = std::min(sy1, clampCorner(std::max({p0[1], p1[1], p2[1]}) + 1));
    const float e1x = p1[0] - p0[0], e1y = p1[1] - p0[1];
    const float e2x = p2[0] - p0[0], e2y = p2[1] - p0[1];
    const float d = e1x * e2y - e1y * e2x;
    if (std::fabs(d) <= kDegenerateArea)
        return;
    // Barycentric weights of p1 and p2 and their steps along x and y; both
    // windings give the same weights.
    const float b1dx = e2y / d, b1dy = -e2x / d;
    const float b2dx = -e1y / d, b2dy = e1x / d;
    const float sx = static_cast<float>(x0) - p0[0], sy = static_cast<float>(y0) - p0[1];
    float b1Row = (sx * e2y - sy * e2x) / d;
    float b2Row = (e1x * sy - e1y * sx) / d;
    for (int y = y0; y <= y1; ++y, b1Row += b1dy, b2Row += b2dy) {
        float b1 = b1Row, b2 = b2Row;
        bool inRun = false;
        for (int x = x0; x <= x1; ++x, b1 += b1dx, b2 += b2dx) {
            if (!(b1 >= -kEdgeTolerance && b2 >= -kEdgeTolerance && b1 + b2 <= 1 + kEdgeTolerance)) {
                if (inRun)
                    break;  // a triangle's row is one run
                continue;
            }
            inRun = true;
            float& corner = cornerDepth_[y][x];
            corner = std::min(corner, (1 - b1 - b2) * p0[2] + b1 * p1[2] + b2 * p2[2]);
        }
    }
}

bool OcclusionBuffer::cellHidden(int level, int x, int y) const {
    if (levels_[level][cellIndex(level, x, y)] < testDepth_)
        return true;
    const int32_t* r = testRect_[level];
    if (level == kFinestLevel || (r[0] <= x && x + 1 <= r[2] && r[1] <= y && y + 1 <= r[3]))
        return false;
    const int k = level + 1;
    return cellHidden(k, 2 * x, 2 * y) && cellHidden(k, 2 * x + 1, 2 * y) && cellHidden(k, 2 * x, 2 * y + 1) &&
           cellHidden(k, 2 * x + 1, 2 * y + 1);
}

int OcclusionBuffer::query(const float sphere[4], const Matrix44& p) {
    const float cx = sphere[0], cy = sphere[1], cz = sphere[2], r = sphere[3];
    if (!(cz > r))
        return kNotAsked;
    const float w = p.m[12] * cx + p.m[13] * cy + p.m[14] * cz + p.m[15];
    if (!(w > 0))
        return kNotAsked;
    const float sx = (p.m[0] * cx + p.m[1] * cy + p.m[2] * cz + p.m[3]) / w;
    const float sy = (p.m[4] * cx + p.m[5] * cy + p.m[6] * cz + p.m[7]) / w;
    // The sphere's half-extent on screen grows with the projection's scales,
    // as for the impostor rectangle; without them the query would test only
    // the middle of the sphere and hide spheres that stick out of their
    // occluder.
    const float s = r / cz;
    const float minX = clampUnit((sx - s * p.m[0] + 1) * 0.5f), minY = clampUnit((sy - s * p.m[5] + 1) * 0.5f);
    const float maxX = clampUnit((sx + s * p.m[0] + 1) * 0.5f), maxY = clampUnit((sy + s * p.m[5] + 1) * 0.5f);
    testDepth_ = cz - r;
    const float size = std::max(maxX - minX, maxY - minY);
    int level = kFinestLevel;
    if (size > 0.0001f) {
        const int n = static_cast<int>(1.0f / size);
        level = 0;
        while (level < kFinestLevel && (n >> (level + 1)) != 0)
            ++level;
    }
    for (int k = level; k <= kFinestLevel; ++k) {
        const float cells = static_cast<float>(1 << k);
        testRect_[k][0] = static_cast<int32_t>(cells * minX);
        testRect_[k][1] = static_cast<int32_t>(cells * minY);
        testRect_[k][2] = static_cast<int32_t>(cells * maxX);
        testRect_[k][3] = static_cast<int32_t>(cells * maxY);
    }
    const int32_t* r0 = testRect_[level];
    for (int y = r0[1]; y <= r0[3]; ++y)
        for (int x = r0[0]; x <= r0[2]; ++x)
            if (!cellHidden(level, x, y))
                return kVisible;
    return level;
}

bool OcclusionBuffer::isOccluded(const float sphere[4], const Matrix44& projection) {
    const int answer = query(sphere, projection);
    if (answer == kNotAsked)
        return false;
    ++tests;
    if (answer == kVisible)
        return false;
    ++hits;
    if (answer < kFinestLevel)
        ++coarseHits;
    return true;
}

bool OcclusionBuffer::hides(const float sphere[4], const Matrix44& projection) {
    return query(sphere, projection) >= 0;
}

void OcclusionBuffer::endFrame() {
    // No queries at all counts as not paying.
    const float ratio = tests > 0 ? static_cast<float>(hits) / static_cast<float>(tests) : 0.0f;
    const bool poor = ratio <= kPoorHitRatio && coarseHits <= kPoorCoarseHits;
    switch (mode) {
    case kOff:
        if (++counter > kOffFrames)
            reset(kTrial);
        break;
    case kTrial:
        if (poor)
            reset(kOff);
        else if (++counter > kTrialFrames)
            reset(kOn);
        break;
    default:
        counter = poor ? counter + 1 : 0;
        if (counter > kPoorFrames)
            reset(kOff);
        break;
    }
}

void OcclusionBuffer::reset(int32_t newMode) {
    counter = 0;
    mode = newMode;
    active = newMode == kOff ? 0 : 1;
}
