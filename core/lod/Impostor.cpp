#include "core/lod/Impostor.h"

#include <cmath>

#include "core/RenderContext.h"

namespace {
// Whole part of v (towards zero); false for values no viewport can hold.
bool wholePart(float v, int& out) {
    if (!(std::fabs(v) < 1e9f))
        return false;
    out = static_cast<int>(v);
    return true;
}

// Left column and bottom row (from the top) of a window whose lower-left
// corner is (x, y) in normalised device units.
bool windowCorner(float x, float y, int width, int height, int& left, int& bottom) {
    return wholePart((x + 1.0f) * static_cast<float>(width) * 0.5f, left) &&
           wholePart((1.0f - y) * static_cast<float>(height) * 0.5f, bottom);
}

int textureSide(int pixels) {
    int side = 1;
    while (side < pixels && side < Impostor::kMaxTextureSize)
        side *= 2;
    return side;
}

bool within(int v, int low, int high) { return low <= v && v <= high; }
}  // namespace

Impostor::Impostor() { ++liveCount_; }
Impostor::~Impostor() { --liveCount_; }

ScreenRect screenRectOf(const float sphere[4], const Matrix44& p) {
    const float cx = sphere[0], cy = sphere[1], cz = sphere[2], r = sphere[3];
    const float w = p.m[12] * cx + p.m[13] * cy + p.m[14] * cz + p.m[15];
    ScreenRect rect;
    if (!(w > 0))
        return rect;
    const float sx = (p.m[0] * cx + p.m[1] * cy + p.m[2] * cz + p.m[3]) / w;
    const float sy = (p.m[4] * cx + p.m[5] * cy + p.m[6] * cz + p.m[7]) / w;
    const float s = r / cz;
    rect.minX = sx - s * p.m[0];
    rect.minY = sy - s * p.m[5];
    rect.maxX = sx + s * p.m[0];
    rect.maxY = sy + s * p.m[5];
    return rect;
}

std::optional<ImpostorWindow> planImpostorWindow(const ScreenRect& rect, int width, int height) {
    int pw = 0, ph = 0;
    if (!wholePart((rect.maxX - rect.minX) * static_cast<float>(width) * 0.5f, pw) || pw > Impostor::kMaxTextureSize)
        return std::nullopt;
    if (!wholePart((rect.maxY - rect.minY) * static_cast<float>(height) * 0.5f, ph) ||
        ph > Impostor::kMaxTextureSize)
        return std::nullopt;
    ImpostorWindow window;
    window.textureWidth = textureSide(pw);
    window.textureHeight = textureSide(ph);
    if (!windowCorner(rect.minX, rect.minY, width, height, window.left, window.bottom))
        return std::nullopt;
    if (!within(window.left, 0, width) || !within(window.left + window.textureWidth, 0, width) ||
        !within(window.bottom - window.textureHeight, 0, height) || !within(window.bottom, 0, height))
        return std::nullopt;
    return window;
}

ImpostorWindow captureWindow(const Impostor& impostor, int width, int height) {
    ImpostorWindow window;
    window.textureWidth = impostor.textureWidth;
    window.textureHeight = impostor.textureHeight;
    windowCorner(impostor.originX, impostor.originY, width, height, window.left, window.bottom);
    return window;
}

Vec2 ImpostorProjection::apply(const Vector& p) const {
    auto row = [&p](const float* r) { return r[0] * p.x + r[1] * p.y + r[2] * p.z + r[3]; };
    Vec2 uv(row(u), row(v));
    const float q = row(w);
    if (q > 0) {
        uv.x /= q;
        uv.y /= q;
    }
    return uv;
}

ImpostorProjection impostorProjection(const Impostor& impostor, const Matrix44& model, int width, int height) {
    const Matrix44 c = impostor.captureMatrix * model;
    const ImpostorWindow window = captureWindow(impostor, width, height);
    const float tw = static_cast<float>(window.textureWidth), th = static_cast<float>(window.textureHeight);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    // Texture rows run upwards from the window's bottom edge.
    const float bottomEdge = h - static_cast<float>(window.bottom);
    ImpostorProjection t;
    for (int i = 0; i < 4; ++i) {
        // u = ((x / q + 1) * width / 2 - left) / tw, v alike with the height.
        t.u[i] = (c.m[i] * w * 0.5f + c.m[12 + i] * (w * 0.5f - static_cast<float>(window.left))) / tw;
        t.v[i] = (c.m[4 + i] * h * 0.5f + c.m[12 + i] * (h * 0.5f - bottomEdge)) / th;
        t.w[i] = c.m[12 + i];
    }
    return t;
}
