#include "tools/datagen/SkyPainter.h"

#include "core/Assert.h"
#include "tools/datagen/TileNoise.h"

#include <algorithm>
#include <cmath>

const char* const SkyPainter::kFaceFiles[kFaceCount] = {"skybox_posz.jpg", "skybox_posx.jpg", "skybox_negz.jpg",
                                                        "skybox_negx.jpg", "skybox_negy.jpg", "skybox_posy.jpg"};

const int SkyPainter::kFaceCorners[kFaceCount][4] = {{0, 1, 4, 5}, {1, 2, 5, 6}, {2, 3, 6, 7},
                                                     {3, 0, 7, 4}, {6, 7, 5, 4}, {1, 0, 2, 3}};

Vec3 SkyPainter::corner(int index) {
    static const Vec3 corners[8] = {{-1, 1, 1},  {1, 1, 1},  {1, 1, -1},  {-1, 1, -1},
                                    {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1}};
    CALLI_ASSERT(index >= 0 && index < 8);
    return corners[index];
}

Vec3 SkyPainter::direction(int face, float u, float v) {
    CALLI_ASSERT(face >= 0 && face < kFaceCount);
    // Each face is a square, so the corners at (1, 0) and (0, 1) span it.
    Vec3 c0 = corner(kFaceCorners[face][0]);
    Vec3 c1 = corner(kFaceCorners[face][1]);
    Vec3 c2 = corner(kFaceCorners[face][2]);
    return c0 + (c1 - c0) * u + (c2 - c0) * v;
}

// Lattice noise without a practical period, for the sky's unbounded planes.
static float skyNoise(float x, float y, int octaves, uint32_t seed) {
    const int period = 1 << 16;
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * TileNoise::value(x + 4096, y + 4096, period, period, seed + 31u * uint32_t(i));
        total += weight;
        weight *= 0.5f;
        x *= 2.03f;
        y *= 2.03f;
    }
    return sum / total;
}

Rgb SkyPainter::colour(Vec3 direction) {
    Vec3 d = normalise(direction);
    // The sun stands opposite the scene light's direction (−58, −69, 114).
    const Vec3 sun = normalise({58, 69, -114});
    const Rgb zenith{0.19f, 0.38f, 0.72f}, horizon{0.66f, 0.76f, 0.86f}, haze{0.80f, 0.82f, 0.83f};
    float y = d.y;
    Rgb c;
    if (y >= 0) {
        c = mix(horizon, zenith, std::pow(y, 0.5f));
        float sd = std::max(0.0f, dot(d, sun));
        c = c + Rgb{1.0f, 0.86f, 0.62f} * (0.10f * std::pow(sd, 10.0f) + 0.30f * std::pow(sd, 200.0f));
        // Clouds on a plane above the camera, thinning out towards the horizon.
        float k = 0.9f / std::max(y, 0.02f);
        float px = d.x * k, pz = d.z * k;
        float n = skyNoise(px, pz, 6, 7);
        float cover = smooth(0.50f, 0.72f, n) * smooth(0.03f, 0.25f, y);
        float body = skyNoise(px + 0.35f * sun.x, pz + 0.35f * sun.z, 4, 7);
        Rgb cloud = mix({0.66f, 0.69f, 0.75f}, {0.98f, 0.97f, 0.95f}, smooth(0.5f, 0.75f, body) * 0.6f + 0.4f);
        cloud = mix(cloud, horizon, smooth(0.35f, 0.03f, y) * 0.6f);
        c = mix(c, cloud, cover);
        c = mix(c, {1.0f, 0.99f, 0.95f}, smooth(0.99955f, 0.99975f, sd));  // the disc
    } else {
        float g = -y, k = 1.5f / g;
        float fields = skyNoise(d.x * k, d.z * k, 5, 11);
        Rgb ground = mix({0.24f, 0.29f, 0.16f}, {0.46f, 0.42f, 0.28f}, smooth(0.3f, 0.7f, fields));
        c = mix(haze, ground, 1 - std::exp(-g * 9));
    }
    return mix(c, haze, 0.85f * std::exp(-std::fabs(y) * 30));
}

Image SkyPainter::paintFace(int face) {
    Image image(kFaceSize, kFaceSize);
    image.paint([face](float u, float v) { return colour(direction(face, u, v)); });
    return image;
}
