#include "tools/datagen/TexturePainter.h"

#include "core/Assert.h"
#include "tools/datagen/TileNoise.h"

#include <algorithm>
#include <cmath>

namespace {

using N = TileNoise;
constexpr float kPi = 3.14159265f;

Rgb grey(float v) { return {v, v, v}; }

// Running-bond bricks 24 × 7.5 cm with 1 cm joints: 5 bricks × 16 courses per 1.2 m repeat.
Rgb brick(float s, float t) {
    float y = t * 16;
    int row = int(y);
    float fy = y - row;
    float x = s * 5 + ((row & 1) ? 0.5f : 0.0f);
    int col = int(x);
    float fx = x - col;
    col %= 5;
    float edge = std::min(std::min(fx, 1 - fx) * 0.24f, std::min(fy, 1 - fy) * 0.075f);
    float h1 = N::unit(col, row, 1), h2 = N::unit(col, row, 2), h3 = N::unit(col, row, 3);
    Rgb base = mix({0.50f, 0.21f, 0.14f}, {0.70f, 0.38f, 0.25f}, h1) * (0.85f + 0.25f * h2);
    if (h3 < 0.12f)
        base = base * 0.7f;  // over-fired
    else if (h3 > 0.92f)
        base = mix(base, {0.78f, 0.60f, 0.45f}, 0.35f);
    float grain = N::fbm(s, t, 48, 48, 3, 11) - 0.5f;
    float pits = N::value(s * 256, t * 256, 256, 256, 12) > 0.82f ? 0.85f : 1.0f;
    Rgb face = base * ((1 + 0.35f * grain) * pits * (0.8f + 0.2f * smooth(0.005f, 0.02f, edge)));
    Rgb mortar = grey(0.66f) * (0.85f + 0.3f * N::fbm(s, t, 96, 96, 2, 13)) * Rgb{1.0f, 0.98f, 0.93f};
    return mix(mortar, face, smooth(0.0042f, 0.0062f, edge));
}

// Overlapping roof slates, 6 per row and 8 rows per repeat, staggered.
Rgb slate(float s, float t) {
    float y = t * 8;
    int row = int(y);
    float fy = y - row;
    float x = s * 6 + ((row & 1) ? 0.5f : 0.0f);
    int col = int(x);
    float fx = x - col;
    col %= 6;
    float h1 = N::unit(col, row, 21), h2 = N::unit(col, row, 22), h3 = N::unit(col, row, 23);
    Rgb base = mix({0.20f, 0.22f, 0.26f}, {0.36f, 0.38f, 0.42f}, h1) * (0.88f + 0.24f * h2);
    base = mix(base, h3 < 0.5f ? Rgb{0.34f, 0.30f, 0.36f} : Rgb{0.28f, 0.33f, 0.30f}, 0.25f * std::fabs(h3 - 0.5f) * 2);
    float cleave = N::value(s * 12, t * 160, 12, 160, 24) - 0.5f;
    float lap = 0.5f + 0.5f * smooth(0.0f, 0.22f, fy);  // shadow under the row above
    float lip = fy > 0.94f ? 1.12f : 1.0f;
    Rgb c = base * ((1 + 0.25f * cleave) * lap * lip);
    float joint = smooth(0.006f, 0.016f, std::min(fx, 1 - fx));
    return mix(grey(0.07f), c, joint);
}

// Barrel tiles, 4 pairs across and 6 courses per repeat: a convex cap over
// the joint of two concave pans, lit from the left.
Rgb ceramic(float s, float t) {
    float x = s * 4;
    int pair = int(x);
    float p = x - pair;
    bool cap = p < 0.5f;
    float q = (cap ? p : p - 0.5f) * 4 - 1;
    int col = pair * 2 + (cap ? 0 : 1);
    float y = t * 6 + (cap ? 0.0f : 0.5f);
    int row = int(y) % 6;
    float fy = y - std::floor(y);
    float root = std::sqrt(std::max(0.0f, 1 - q * q));
    float slope = (cap ? -1.0f : 0.5f) * q / std::max(root, 0.15f);
    float light = std::max(0.0f, (slope * 0.6f + 0.8f) / std::sqrt(slope * slope + 1));
    float h1 = N::unit(col, row, 31), h2 = N::unit(col, row, 32);
    Rgb base = mix({0.58f, 0.25f, 0.14f}, {0.80f, 0.46f, 0.27f}, h1) * (0.85f + 0.25f * h2);
    float lichen = smooth(0.62f, 0.74f, N::fbm(s, t, 6, 6, 4, 33));
    base = mix(base, {0.64f, 0.62f, 0.48f}, 0.55f * lichen);
    float shade = cap ? 0.25f + 0.95f * light : (0.3f + 0.6f * light) * (0.45f + 0.55f * root);
    shade *= 0.5f + 0.5f * smooth(0.0f, 0.18f, fy);  // the course above overlaps
    if (fy > 0.95f)
        shade *= 1.15f;
    return base * (shade * (0.9f + 0.2f * N::fbm(s, t, 48, 48, 2, 34)));
}

// Lime render: broad clouding, faint trowel marks, weathering running down, grit.
Rgb lime(float s, float t, Rgb base, uint32_t seed) {
    float cloud = N::fbm(s, t, 3, 3, 5, seed) - 0.5f;
    float trowel = N::fbm(s, t, 12, 8, 3, seed + 1) - 0.5f;
    float grit = N::value(s * 256, t * 256, 256, 256, seed + 2) - 0.5f;
    float streak =
        (N::value(s * 32, t * 2, 32, 2, seed + 3) - 0.5f) * smooth(0.3f, 0.7f, N::fbm(s, t, 4, 4, 2, seed + 4));
    return base * (1 + 0.2f * cloud + 0.08f * trowel + 0.06f * grit - 0.1f * std::fabs(streak));
}

// Cobbles about 12 cm across, rounded, in dark soil joints.
Rgb cobbles(float s, float t) {
    N::Cell c = N::worley(s, t, 16, 0.55f, 41);
    float h1 = N::unit(c.x, c.y, 42), h2 = N::unit(c.x, c.y, 43);
    Rgb stone = mix({0.30f, 0.29f, 0.27f}, {0.47f, 0.44f, 0.39f}, h1);
    stone = mix(stone, {0.42f, 0.34f, 0.27f}, 0.3f * h2);
    float r = c.f1 / std::max(c.f2, 1e-4f);
    stone = stone * ((1.1f - 0.55f * r * r) * (0.85f + 0.3f * N::fbm(s, t, 64, 64, 3, 44)));
    Rgb soil = Rgb{0.19f, 0.16f, 0.12f} * (0.8f + 0.4f * N::fbm(s, t, 32, 32, 2, 45));
    return mix(soil, stone, smooth(0.05f, 0.14f, c.f2 - c.f1) * smooth(0.97f, 0.85f, r));
}

// Slate flagstones in 60 cm courses of 3 to 5 stones.
Rgb flagstones(float s, float t) {
    float y = t * 5;
    int row = int(y);
    float fy = y - row;
    int k = 3 + int(N::unit(row, 0, 51) * 3);
    float x = s * k + N::unit(row, 1, 51);
    int col = int(x);
    float fx = x - col;
    col %= k;
    float edge = std::min(std::min(fx, 1 - fx) * 3.0f / k, std::min(fy, 1 - fy) * 0.6f);
    float h1 = N::unit(col, row, 52), h2 = N::unit(col, row, 53), h3 = N::unit(col, row, 54);
    Rgb stone = mix({0.26f, 0.27f, 0.29f}, {0.40f, 0.40f, 0.40f}, h1) * (0.9f + 0.2f * h2);
    stone = mix(stone, {0.38f, 0.34f, 0.29f}, 0.35f * h3);
    float wear = N::fbm(s, t, 12, 12, 4, 55) - 0.5f;
    float grain = N::value(s * 200, t * 200, 200, 200, 56) - 0.5f;
    stone = stone * ((1 + 0.3f * wear + 0.12f * grain) * (0.82f + 0.18f * smooth(0.008f, 0.04f, edge)));
    return mix(grey(0.11f), stone, smooth(0.006f, 0.011f, edge));
}

Rgb soil(float s, float t) {
    Rgb c = Rgb{0.40f, 0.30f, 0.21f} * (0.7f + 0.6f * N::fbm(s, t, 6, 6, 5, 61));
    c = c * (1 - 0.3f * smooth(0.5f, 0.65f, N::fbm(s, t, 3, 3, 4, 62)));  // moist patches
    float clods = N::fbm(s, t, 24, 24, 3, 66) - 0.5f;
    c = c * (1 + 0.35f * clods + 0.12f * (N::value(s * 256, t * 256, 256, 256, 67) - 0.5f));
    N::Cell p = N::worley(s, t, 24, 0.8f, 63);
    if (N::unit(p.x, p.y, 64) < 0.15f) {
        Rgb pebble = mix({0.38f, 0.33f, 0.27f}, {0.50f, 0.45f, 0.38f}, N::unit(p.x, p.y, 65));
        c = mix(c, pebble * (1.1f - 0.9f * p.f1), smooth(0.3f, 0.22f, p.f1 + 0.1f * N::unit(p.x, p.y, 68)));
    }
    return c;
}

Rgb meadow(float s, float t) {
    float n = N::fbm(s, t, 4, 4, 5, 71);
    Rgb c = n < 0.5f ? mix({0.21f, 0.33f, 0.12f}, {0.36f, 0.48f, 0.19f}, n * 2)
                     : mix({0.36f, 0.48f, 0.19f}, {0.55f, 0.55f, 0.27f}, (n - 0.5f) * 2);
    float blades = N::value(s * 256, t * 256, 256, 256, 72) - 0.5f;
    float tufts = N::fbm(s, t, 32, 32, 2, 73) - 0.5f;
    return c * (1 + 0.3f * blades + 0.25f * tufts);
}

Rgb dryLand(float s, float t) {
    float n = N::fbm(s, t, 4, 4, 5, 81);
    Rgb c = mix({0.44f, 0.42f, 0.24f}, {0.60f, 0.55f, 0.33f}, n);
    c = mix(c, {0.52f, 0.44f, 0.31f}, smooth(0.52f, 0.64f, N::fbm(s, t, 5, 5, 4, 82)));
    float shrub = smooth(0.6f, 0.68f, N::fbm(s, t, 12, 12, 4, 83));
    c = mix(c, Rgb{0.22f, 0.27f, 0.13f} * (0.8f + 0.6f * N::fbm(s, t, 64, 64, 2, 84)), shrub);
    return c * (1 + 0.25f * (N::value(s * 256, t * 256, 256, 256, 85) - 0.5f));
}

// Floor boards 15 cm wide along u, one staggered end joint each per repeat.
Rgb planks(float s, float t) {
    float y = t * 8;
    int board = int(y);
    float fy = y - board;
    float fx = fract(s + N::unit(board, 0, 91));
    Rgb tint = mix({0.48f, 0.32f, 0.19f}, {0.68f, 0.49f, 0.30f}, N::unit(board, 1, 91));
    float grain = N::value(fx * 6, t * 192, 6, 192, 92);
    float rings = std::sin((fy * 3 + 2.5f * N::fbm(s, t, 4, 8, 3, 93)) * 2 * kPi);
    Rgb c = tint * ((0.82f + 0.25f * grain) * (0.93f + 0.07f * rings));
    float edge = std::min(std::min(fy, 1 - fy) * 0.15f, std::min(fx, 1 - fx) * 1.2f);
    return mix(grey(0.08f), c, smooth(0.0015f, 0.003f, edge));
}

// Square terracotta tiles 30 cm, 4 × 4 per repeat.
Rgb floorTiles(float s, float t) {
    float x = s * 4, y = t * 4;
    int i = int(x), j = int(y);
    float fx = x - i, fy = y - j;
    float edge = std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy)) * 0.3f;
    Rgb tile = mix({0.60f, 0.33f, 0.21f}, {0.78f, 0.48f, 0.32f}, N::unit(i, j, 101));
    tile = tile * ((0.9f + 0.15f * N::unit(i, j, 102)) * (1 + 0.15f * (N::fbm(s, t, 16, 16, 4, 103) - 0.5f)));
    tile = tile * (0.85f + 0.15f * smooth(0.004f, 0.02f, edge));
    return mix(Rgb{0.56f, 0.53f, 0.48f}, tile, smooth(0.0028f, 0.0045f, edge));
}

// Weathered timber, grain along v (posts, beams and branches).
Rgb wood(float s, float t) {
    float grain = N::fbm(s, t, 48, 2, 3, 111);
    float rings = std::sin((s * 10 + 2.0f * N::fbm(s, t, 3, 2, 3, 112)) * 2 * kPi);
    Rgb c = Rgb{0.37f, 0.26f, 0.17f} * ((0.6f + 0.8f * grain) * (0.9f + 0.1f * rings));
    c = mix(c, {0.44f, 0.41f, 0.37f}, 0.25f * smooth(0.45f, 0.7f, N::fbm(s, t, 3, 3, 4, 113)));
    float crack = N::value(s * 128, t * 3, 128, 3, 114);
    return c * (crack > 0.8f ? 0.6f : 1.0f);
}

// Awning canvas: 8 stripes per repeat along u, with weave and dirt.
Rgb canvas(float s, float t, Rgb a, Rgb b, uint32_t seed) {
    float x = s * 8;
    int k = int(x);
    float fx = x - k;
    Rgb stripe = (k & 1) ? b : a;
    stripe = mix((a + b) * 0.5f, stripe, smooth(0.0f, 0.06f, std::min(fx, 1 - fx)));
    float weave = 0.95f + 0.05f * std::sin(s * 2 * kPi * 128) * std::sin(t * 2 * kPi * 128);
    float dirt = 1 - 0.15f * N::fbm(s, t, 3, 3, 4, seed);
    return stripe * (weave * dirt);
}

// Car atlas, white paint so that the coloured mark tints it:
//   paint [0, .5) × [0, .5)   side windows [.5, 1) × [0, .25)   screens [.5, 1) × [.25, .5)
//   wheel [0, .5) × [.5, 1)   head lamp [.5, .75) × [.5, .75)   tail lamp [.75, 1) × [.5, .75)
//   black trim [.5, 1) × [.75, 1)
Rgb carAtlas(float s, float t) {
    if (s < 0.5f && t < 0.5f)
        return grey(0.95f - 0.12f * t + 0.03f * (N::fbm(s, t, 8, 8, 2, 121) - 0.5f));
    if (s >= 0.5f && t < 0.5f) {
        bool side = t < 0.25f;
        float u = (s - 0.5f) * 2, v = side ? t * 4 : (t - 0.25f) * 4;
        bool frame = u < 0.05f || u > 0.95f || v < 0.1f || v > 0.9f || (side && std::fabs(u - 0.55f) < 0.03f);
        if (frame)
            return grey(0.9f);
        Rgb glass = mix({0.30f, 0.35f, 0.42f}, {0.08f, 0.10f, 0.13f}, v);
        float streak = smooth(0.12f, 0.0f, std::fabs(u + v * 0.6f - 0.75f));
        return glass + grey(0.18f * streak);
    }
    if (s < 0.5f) {
        float r = std::hypot(s - 0.25f, t - 0.75f);
        if (r < 0.11f) {
            float a = std::atan2(t - 0.75f, s - 0.25f);
            bool hole = r > 0.05f && r < 0.085f && std::cos(5 * a) > 0.6f;
            return grey(hole ? 0.15f : (r > 0.1f ? 0.45f : 0.72f));
        }
        return grey(r < 0.23f ? 0.1f - 0.04f * smooth(0.2f, 0.23f, r) : 0.05f);
    }
    if (t < 0.75f) {
        float r = std::hypot(fract(s * 8) - 0.5f, fract(t * 8) - 0.5f);
        return s < 0.75f ? Rgb{1.0f, 0.97f, 0.86f} * (0.85f + 0.15f * smooth(0.5f, 0.1f, r))
                         : Rgb{0.85f, 0.10f, 0.08f} * (0.8f + 0.2f * smooth(0.5f, 0.1f, r));
    }
    return grey(std::fabs(fract(t * 32) - 0.5f) < 0.15f ? 0.05f : 0.14f);
}

// Lamp atlas: painted cast iron [0, .5) × [0, 1), lantern glass [.5, 1) × [0, 1).
Rgb lampAtlas(float s, float t) {
    Rgb iron = Rgb{0.10f, 0.17f, 0.13f} * (0.75f + 0.5f * N::fbm(s, t, 8, 8, 4, 131));
    if (s < 0.5f)
        return iron;
    float u = (s - 0.5f) * 2;
    if (u < 0.08f || u > 0.92f || t < 0.06f || t > 0.94f || std::fabs(u - 0.5f) < 0.03f)
        return iron;
    float glow = smooth(0.7f, 0.0f, std::hypot(u - 0.5f, t - 0.55f));
    return mix({0.95f, 0.82f, 0.55f}, {1.0f, 0.97f, 0.85f}, glow);
}

// Curtain wall: 1.5 m glazed panels in steel mullions, spandrel at each floor.
Rgb steel(float s, float t) {
    float x = s * 2, y = t * 2;
    float fx = fract(x), fy = fract(y);
    float m = std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy)) * 1.5f;
    Rgb mullion = grey(0.60f + 0.1f * N::fbm(s, t, 64, 2, 2, 141)) * Rgb{0.98f, 1.0f, 1.03f};
    Rgb fill;
    if (fy > 0.75f)
        fill = Rgb{0.42f, 0.44f, 0.47f} * (0.9f + 0.2f * N::fbm(s, t, 16, 16, 3, 142));
    else
        fill = mix({0.42f, 0.50f, 0.58f}, {0.14f, 0.20f, 0.27f},
                   clamp01(fy * 1.2f + 0.5f * N::fbm(s, t, 2, 2, 3, 143) - 0.2f));
    return mix(mullion, fill, smooth(0.025f, 0.035f, m));
}

struct Painter {
    const char* name;
    int size;
    Rgb (*paint)(float, float);
    bool tiles = true;
};

const Painter kPainters[] = {
    {"brick1.jpg", 512, brick},
    {"slate1.jpg", 512, slate},
    {"ceramic1.jpg", 512, ceramic},
    {"lime1.jpg", 256,
     [](float s, float t) {
         return lime(s, t, {0.90f, 0.88f, 0.83f}, 151);
     }},
    {"lime_blue.jpg", 256,
     [](float s, float t) {
         return lime(s, t, {0.60f, 0.73f, 0.86f}, 161);
     }},
    {"lime_ochre.jpg", 256,
     [](float s, float t) {
         return lime(s, t, {0.86f, 0.67f, 0.40f}, 171);
     }},
    {"road1.jpg", 512, cobbles},
    {"road_slate.jpg", 512, flagstones},
    {"soil1.jpg", 256, soil},
    {"land1.jpg", 256, meadow},
    {"land2.jpg", 256, dryLand},
    {"woodplanks1.jpg", 512, planks},
    {"floortile1.jpg", 512, floorTiles},
    {"wood1.jpg", 256, wood},
    {"canopy1.jpg", 256,
     [](float s, float t) {
         return canvas(s, t, {0.74f, 0.13f, 0.11f}, {0.93f, 0.89f, 0.78f}, 181);
     }},
    {"canopy2.jpg", 256,
     [](float s, float t) {
         return canvas(s, t, {0.13f, 0.42f, 0.26f}, {0.93f, 0.89f, 0.78f}, 191);
     }},
    {"carpaint.jpg", 256, carAtlas, false},
    {"lampmetal.jpg", 256, lampAtlas, false},
    {"steel1.jpg", 256, steel},
};

}  // namespace

std::vector<std::string> TexturePainter::names() {
    std::vector<std::string> out;
    for (const Painter& p : kPainters)
        out.push_back(p.name);
    return out;
}

static const Painter& find(const std::string& name) {
    const Painter* found = nullptr;
    for (const Painter& p : kPainters)
        if (name == p.name)
            found = &p;
    CALLI_ASSERT(found != nullptr);
    return *found;
}

bool TexturePainter::tiles(const std::string& name) { return find(name).tiles; }

Image TexturePainter::paint(const std::string& name) {
    const Painter* found = &find(name);
    Image image(found->size, found->size);
    image.paint(found->paint);
    return image;
}
