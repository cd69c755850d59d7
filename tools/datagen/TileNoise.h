#pragma once
// Lattice noise for the painted textures. Every function wraps with the
// periods it is given, so a texture painted over s, t in [0, 1) tiles without
// seams. Integer hashing only: the same picture on every machine.
#include <cmath>
#include <cstdint>

struct TileNoise {
    // Uniform in [0, 1) for a lattice cell and a seed.
    static float unit(int x, int y, uint32_t seed);
    // Gradient noise (Perlin's, with hashed gradient directions) mapped to
    // about [0, 1] around 0.5, at lattice coordinates (x, y); the lattice
    // repeats every periodX cells along x and periodY along y.
    static float value(float x, float y, int periodX, int periodY, uint32_t seed);
    // Fractal sum of `octaves` noise layers over texture coordinates
    // (s, t); the first layer has periodX × periodY cells, each further one
    // twice as many at half the weight. Result in [0, 1].
    static float fbm(float s, float t, int periodX, int periodY, int octaves, uint32_t seed);

    // Nearest and second-nearest feature point of a jittered grid of
    // period × period cells (distances in cell units) and the nearest one's cell.
    struct Cell {
        float f1, f2;
        int x, y;
    };
    static Cell worley(float s, float t, int period, float jitter, uint32_t seed);
};

inline float fract(float x) { return x - std::floor(x); }
inline float clamp01(float x) { return x < 0 ? 0 : (x > 1 ? 1 : x); }
inline float smooth(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}
