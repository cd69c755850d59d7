#include "core/Terrain.h"

#include <algorithm>
#include <cmath>

#include "core/Poly.h"

namespace {
constexpr int kShuffleSwaps = 10000;
// 1/32767: a draw of 0..32767 scaled to [0, 1].
constexpr double kDrawScale = 3.051850947599719e-5;

int shuffleIndex(LinearCongruential& lcg) {
    const int index = static_cast<int>(lcg.draw() * kDrawScale * 256.0);
    return std::min(index, 255);  // a draw of 32767 would give 256
}
}  // namespace

NoiseSource::NoiseSource() {
    for (uint32_t i = 0; i < 256; ++i)
        permutation_[i] = i;
}

void NoiseSource::initNoise(int dimensions, uint32_t seed) {
    dimensions_ = static_cast<uint8_t>(std::clamp(dimensions, 0, kMaxDimensions));
    LinearCongruential lcg(seed);
    for (uint32_t i = 0; i < 256; ++i)
        permutation_[i] = i;
    for (int s = 0; s < kShuffleSwaps; ++s) {
        const int a = shuffleIndex(lcg);
        const int b = shuffleIndex(lcg);
        std::swap(permutation_[a], permutation_[b]);
    }
}

float NoiseSource::hash(int32_t i0, int32_t i1, int32_t i2, int32_t i3) const {
    // Unsigned, so that negative lattice coordinates also shift down to 0.
    uint32_t c0 = static_cast<uint32_t>(i0), c1 = static_cast<uint32_t>(i1);
    uint32_t c2 = static_cast<uint32_t>(i2), c3 = static_cast<uint32_t>(i3);
    const uint32_t* perm = permutation_;
    uint32_t h = perm[0];
    while (c0 != 0 || c1 != 0 || c2 != 0 || c3 != 0) {
        const uint32_t k = perm[(perm[(perm[(perm[c3 & 255] + c2) & 255] + c1) & 255] + c0) & 255];
        h += perm[k];
        c0 >>= 8;
        c1 >>= 8;
        c2 >>= 8;
        c3 >>= 8;
    }
    return static_cast<float>(h & 255) * 2.0f * 0.00390625f - 1.0f;
}

float NoiseSource::noise(const float* p) const {
    const int dims = dimensions_;
    int32_t cell[kMaxDimensions] = {0, 0, 0, 0};
    float weight[kMaxDimensions] = {0, 0, 0, 0};
    for (int d = 0; d < dims; ++d) {
        const float base = std::floor(p[d]);
        const float t = p[d] - base;
        cell[d] = static_cast<int32_t>(base);
        weight[d] = (3.0f - 2.0f * t) * t * t;
    }
    // Corner c has coordinate d at cell + 1 where bit d of c is set.
    float value[1 << kMaxDimensions];
    const int corners = 1 << dims;
    for (int c = 0; c < corners; ++c) {
        int32_t at[kMaxDimensions] = {0, 0, 0, 0};
        for (int d = 0; d < dims; ++d)
            at[d] = cell[d] + ((c >> d) & 1);
        value[c] = hash(at[0], at[1], at[2], at[3]);
    }
    // Blend along one axis at a time: pairs differing in bit d collapse.
    for (int d = 0, n = corners; d < dims; ++d, n >>= 1)
        for (int c = 0; c < n / 2; ++c)
            value[c] = value[2 * c] + weight[d] * (value[2 * c + 1] - value[2 * c]);
    return value[0];
}

float NoiseSource::fbm(const float* p, float gain) const {
    float q[kMaxDimensions] = {0, 0, 0, 0};
    for (int d = 0; d < dimensions_; ++d)
        q[d] = p[d];
    float sum = 0.0f;
    float amplitude = 1.0f;
    for (int octave = 0; octave < kOctaves; ++octave) {
        sum += noise(q) * amplitude;
        for (int d = 0; d < dimensions_; ++d)
            q[d] *= 2.0f;
        amplitude *= gain;
    }
    return std::clamp(sum, -1.0f, 1.0f);
}

float NoiseSource::terrainHeight(float x, float z) const {
    const float p[kMaxDimensions] = {kFrequency * x, kFrequency * z, 0, 0};
    return fbm(p, roughness) * height;
}

Terrain::Terrain(const NoiseSource* noise, const Matrix44& placement)
    : noise_(noise), placement_(placement), cache_(kCacheSize) {}

Vec2 Terrain::place(const Vec2& p) const {
    const float* m = placement_.m;
    return {m[0] * p.x + m[2] * p.y + m[3], m[8] * p.x + m[10] * p.y + m[11]};
}

uint32_t Terrain::cacheSlot(float tx, float tz) {
    const float key = tx * tz * 1000.0f;
    // Truncated through 64 bits and wrapped, as a 32-bit unsigned conversion
    // of an out-of-range value does on the x87; non-finite keys use slot 0.
    if (!std::isfinite(key) || std::fabs(key) >= 9.2e18f)
        return 0;
    const uint32_t wrapped = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(key)));
    return wrapped % static_cast<uint32_t>(kCacheSize);
}

float Terrain::height(float x, float y) const {
    if (!noise_)
        return 0.0f;
    const Vec2 t = place({x, y});
    CacheEntry& entry = cache_[cacheSlot(t.x, t.y)];
    if (entry.x == t.x && entry.z == t.y)
        return entry.height;
    entry.x = t.x;
    entry.z = t.y;
    entry.height = noise_->terrainHeight(t.x, t.y);
    return entry.height;
}

bool Terrain::range(const Poly& poly, float& min, float& max) const {
    if (poly.empty())
        return false;
    float lo = 1e30f, hi = -1e30f;
    for (const Point& p : poly.points()) {
        const float h = height(p.x, p.y);
        lo = std::min(lo, h);
        hi = std::max(hi, h);
    }
    min = lo;
    max = hi;
    return true;
}

void Terrain::clearCache() const {
    std::fill(cache_.begin(), cache_.end(), CacheEntry{});
}
