#pragma once
// The rolling ground under the town: a deterministic fractal height function
// (value noise summed over five octaves) and the placed, cached view of it that
// land descriptions read. Heights and coordinates are metres; the plane point
// (x, y) of a polygon stands for the world point (x, height, y).
#include <cstdint>
#include <vector>

#include "core/Vector.h"

class Poly;

// The classic portable rand() (next * 1103515245 + 12345, draws in 0..32767).
// It stands in for the runtime library's srand/rand in the noise shuffle so the
// ground comes out the same on every machine and runtime.
class LinearCongruential {
public:
    static constexpr int kMax = 32767;

    explicit LinearCongruential(uint32_t seed = 1) : next_(seed) {}
    void seed(uint32_t s) { next_ = s; }
    // Next draw in 0..kMax.
    int draw() {
        next_ = next_ * 1103515245u + 12345u;
        return static_cast<int>((next_ / 65536u) % 32768u);
    }

private:
    uint32_t next_;
};

// Value noise over an integer lattice hashed through a shuffled permutation.
// Owned by the region typology, which exposes height and roughness as its
// "Terrain height" and "Terrain roughness" parameters.
class NoiseSource {
public:
    static constexpr int kMaxDimensions = 4;
    static constexpr int kOctaves = 5;
    // Metres to noise units: one lattice cell per kilometre at the first octave.
    static constexpr float kFrequency = 0.001f;

    // Identity permutation until initNoise() is called.
    NoiseSource();

    // Shuffles the permutation with 10000 swaps drawn from a LinearCongruential
    // seeded with seed; dimensions above 4 are cut to 4.
    void initNoise(int dimensions, uint32_t seed);

    // Lattice value in [-1, 1) of the integer point (i0, i1, i2, i3); absent
    // coordinates are 0.
    float hash(int32_t i0, int32_t i1 = 0, int32_t i2 = 0, int32_t i3 = 0) const;
    // Smoothly blended lattice values around p (dimensions() coordinates).
    float noise(const float* p) const;
    // Five octaves, frequency doubling, amplitude times roughness; clamped to [-1, 1].
    float fbm(const float* p, float roughness) const;
    // Ground height (metres) at terrain coordinates (x, z), within +-height.
    float terrainHeight(float x, float z) const;

    int dimensions() const { return dimensions_; }
    const uint32_t* permutation() const { return permutation_; }

    float height = 0;     // "Terrain height": scale of the heights, metres
    float roughness = 0;  // "Terrain roughness": amplitude factor from one octave to the next

private:
    uint8_t dimensions_ = 2;
    uint32_t permutation_[256];
};

// A land reference: the noise source seen through a placement that maps
// polygon-plane coordinates to terrain coordinates, with a height cache.
// The region holds one with the identity placement; every town holds its own,
// placed by the town's local frame.
class Terrain {
public:
    static constexpr int kCacheSize = 39989;

    // noise: not owned, must outlive the terrain (null gives flat ground at 0).
    // placement: only its x and z rows are used: terrain x = m[0]*px + m[2]*py + m[3],
    // terrain z = m[8]*px + m[10]*py + m[11].
    explicit Terrain(const NoiseSource* noise, const Matrix44& placement = Matrix44::identity());

    // Ground height (world y, metres) under the polygon-plane point (x, y).
    // This is what the renderer's terrain polygons and the navigation nodes
    // read. Cached: one entry per slot, keyed by the product of the terrain
    // coordinates; a collision evicts the older entry.
    float height(float x, float y) const;
    float height(const Vec2& p) const { return height(p.x, p.y); }

    // Terrain coordinates (x, z) of the polygon-plane point p.
    Vec2 place(const Vec2& p) const;

    // Lowest and highest height over the polygon's vertices (not its interior);
    // false, outputs untouched, for an empty polygon.
    bool range(const Poly& poly, float& min, float& max) const;

    // Forgets every cached height (after the noise source was set up again).
    void clearCache() const;

    // Slot of the terrain point (tx, tz): trunc(tx * tz * 1000) as an unsigned
    // 32-bit number, modulo kCacheSize.
    static uint32_t cacheSlot(float tx, float tz);

    const NoiseSource* noise() const { return noise_; }
    const Matrix44& placement() const { return placement_; }

private:
    struct CacheEntry {
        float x = -1e30f, z = -1e30f, height = 0;
    };

    const NoiseSource* noise_;  // not owned
    Matrix44 placement_;
    mutable std::vector<CacheEntry> cache_;
};
