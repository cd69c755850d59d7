#pragma once
// Shared set-up of the GL tests: one hidden 128x128 window on SDL's offscreen
// driver with one renderer for the whole test program, a camera helper and
// pixel access to the render target.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/NullRenderContext.h"
#include "core/Poly.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"

namespace gltest {

inline constexpr int kSize = 128;

inline GlWindow& window() {
    static GlWindow instance({kSize, kSize, true, false, "renderer tests"});
    return instance;
}

inline RendererGl& renderer() {
    static RendererGl instance(window());
    return instance;
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    int grey() const { return (r + g + b) / 3; }
    bool black() const { return r == 0 && g == 0 && b == 0; }
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

struct Frame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;  // top row first

    Rgb at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }
};

// Pixels of a and b (of one size) more than 8 levels apart in some channel.
inline int pixelsApart(const Frame& a, const Frame& b) {
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const Rgb p = a.at(x, y), q = b.at(x, y);
            n += (std::abs(p.r - q.r) > 8 || std::abs(p.g - q.g) > 8 || std::abs(p.b - q.b) > 8) ? 1 : 0;
        }
    return n;
}

// Pixels that are not black.
inline int litPixels(const Frame& f) {
    int n = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            n += f.at(x, y).black() ? 0 : 1;
    return n;
}

inline Frame grab() {
    RendererGl& r = renderer();
    return {r.viewportWidth, r.viewportHeight, r.readPixels()};
}

// Pixel (column, row from the top) where a world point lands.
struct Pixel {
    int x = 0, y = 0;
};

inline Pixel project(const Vector& world) {
    RendererGl& r = renderer();
    const Matrix44 m = r.projection * r.view;
    const float x = m.m[0] * world.x + m.m[1] * world.y + m.m[2] * world.z + m.m[3];
    const float y = m.m[4] * world.x + m.m[5] * world.y + m.m[6] * world.z + m.m[7];
    const float w = m.m[12] * world.x + m.m[13] * world.y + m.m[14] * world.z + m.m[15];
    return {static_cast<int>(std::floor((x / w + 1) * 0.5f * r.viewportWidth)),
            static_cast<int>(std::floor((1 - y / w) * 0.5f * r.viewportHeight))};
}

inline Poly makePoly(std::initializer_list<std::pair<float, float>> points) {
    Poly poly;
    for (auto [x, y] : points)
        poly.append({x, y, 0});
    return poly;
}

// An axis-aligned, positively oriented rectangle of the plane.
inline Poly rectangle(float x0, float y0, float x1, float y1) {
    return makePoly({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}});
}

// A plain surface of one colour (no texture).
struct ColourMaterial {
    MaterialRecord record;
    Material material;

    ColourMaterial(float r, float g, float b) {
        record.name = "test colour";
        record.colour[0] = r, record.colour[1] = g, record.colour[2] = b;
        material.record = &record;
    }
    ~ColourMaterial() { material.record = nullptr; }
};

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(window().valid()) << window().error();
        ASSERT_TRUE(renderer().hasDevice());
        if (renderer().viewportWidth != kSize || renderer().viewportHeight != kSize) {
            ASSERT_TRUE(renderer().resize(kSize, kSize));
        }
        renderer().baseModel = Matrix44::identity();
        renderer().model = Matrix44::identity();
        renderer().setProjection(makeProjection(kSize, kSize, 1, 1000));
        lookAt({0, 0, -10}, {0, 0, 0});
        renderer().setLight({0, 0, 1});
        // Pixel tests pin colours under the classic light; the sky light has a test of its own.
        renderer().skyLight = false;
        renderer().batching = true;
    }

    RendererGl& gl() { return renderer(); }
    void lookAt(const Vector& eye, const Vector& target, const Vector& up = {0, 1, 0}) {
        renderer().setView(makeView(eye, target, up));
    }
};

}  // namespace gltest
