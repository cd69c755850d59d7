#include "tools/datagen/TileNoise.h"

#include <cmath>

// Chris Wellons' lowbias32 integer hash.
static uint32_t mixBits(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

static int wrap(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

float TileNoise::unit(int x, int y, uint32_t seed) {
    uint32_t h = mixBits(uint32_t(x) * 0x9e3779b1u ^ mixBits(uint32_t(y) + seed * 0x85ebca77u));
    return float(h >> 8) * (1.0f / 16777216.0f);
}

float TileNoise::value(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    // Sixteen gradient directions evenly round the circle.
    static const float kCos[16] = {1.0f,        0.9238795f,  0.7071068f, 0.3826834f,  0.0f,        -0.3826834f,
                                   -0.7071068f, -0.9238795f, -1.0f,      -0.9238795f, -0.7071068f, -0.3826834f,
                                   0.0f,        0.3826834f,  0.7071068f, 0.9238795f};
    auto corner = [&](int cx, int cy, float dx, float dy) {
        int k = int(unit(wrap(ix + cx, periodX), wrap(iy + cy, periodY), seed) * 16.0f) & 15;
        return kCos[k] * dx + kCos[(k + 12) & 15] * dy;
    };
    float a = corner(0, 0, tx, ty), b = corner(1, 0, tx - 1, ty);
    float c = corner(0, 1, tx, ty - 1), d = corner(1, 1, tx - 1, ty - 1);
    // Quintic fade: no visible lattice creases.
    float u = tx * tx * tx * (tx * (tx * 6 - 15) + 10);
    float v = ty * ty * ty * (ty * (ty * 6 - 15) + 10);
    float n = (a + (b - a) * u) * (1 - v) + (c + (d - c) * u) * v;
    return 0.5f + n * 0.75f;
}

float TileNoise::fbm(float s, float t, int periodX, int periodY, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        int px = periodX << i, py = periodY << i;
        // Shifted off the coarser lattices, where gradient noise is always 0.5.
        float shift = 0.37f * float(i);
        sum += weight * value(s * px + shift, t * py + shift, px, py, seed + 101u * uint32_t(i));
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

TileNoise::Cell TileNoise::worley(float s, float t, int period, float jitter, uint32_t seed) {
    float x = s * period, y = t * period;
    int cx = int(std::floor(x)), cy = int(std::floor(y));
    Cell best{1e9f, 1e9f, 0, 0};
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = wrap(cx + dx, period), gy = wrap(cy + dy, period);
            float px = float(cx + dx) + 0.5f + jitter * (unit(gx, gy, seed) - 0.5f);
            float py = float(cy + dy) + 0.5f + jitter * (unit(gx, gy, seed + 7u) - 0.5f);
            float d = std::hypot(px - x, py - y);
            if (d < best.f1) {
                best.f2 = best.f1;
                best.f1 = d;
                best.x = gx;
                best.y = gy;
            } else if (d < best.f2) {
                best.f2 = d;
            }
        }
    return best;
}
