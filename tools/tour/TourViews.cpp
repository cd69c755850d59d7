#include "tools/tour/TourViews.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/Terrain.h"
#include "navigation/Crowd.h"
#include "renderer/RendererGl.h"

namespace {

// Found on the town of the default seed, in the quarter the start view looks at
// and around the municipality's centre (2750, 1550).
const TourView kViews[tourviews::kCount] = {
    {"start", "the window's start view over the town from the hill", {1969, 29, 1417}, {168, -1953, -8217}, false,
     0.4f, false},
    {"above", "the town from above, looking over its centre", {2150, 300, 900}, {2750, 80, 1650}, false, 1.0f,
     false},
    {"rooftop", "over the rooftops of a quarter", {1900, 32, 1300}, {2100, 12, 1480}, true, 1.0f, false},
    {"street", "a street with parked cars, lamps and trees, at eye height", {1959.6f, 1.7f, 1364.7f},
     {1962.0f, 1.7f, 1376.4f}, true, 1.0f, false},
    {"market", "a market street with its stalls, at eye height", {1864.6f, 1.7f, 1271.5f},
     {1870.0f, 1.7f, 1252.0f}, true, 1.0f, false},
    {"stairs", "inside a stairs room, its stair climbing round the walls", {1916.5f, 21.4f, 1291.2f},
     {1912.5f, 22.6f, 1296.5f}, false, 1.0f, false},
    {"crowd", "the crowd walking the streets, at eye height", {1956.2f, 1.7f, 1348.9f}, {1955.2f, 1.7f, 1364.9f},
     true, 1.0f, true},
};

float groundAt(const Terrain* ground, float x, float z) { return ground ? ground->height(x, z) : 0.0f; }

bool endsWith(const std::string& s, const char* tail) {
    const std::string t = tail;
    if (s.size() < t.size())
        return false;
    for (size_t i = 0; i < t.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - t.size() + i])) != t[i])
            return false;
    return true;
}

}  // namespace

void TourView::place(const Terrain* ground, Vector& worldEye, Vector& worldTarget) const {
    worldEye = eye;
    worldTarget = target;
    if (onGround) {
        worldEye.y += groundAt(ground, eye.x, eye.z);
        worldTarget.y += groundAt(ground, target.x, target.z);
    }
}

const TourView* tourViews() { return kViews; }

const TourView* findView(const std::string& name) {
    for (const TourView& v : kViews)
        if (name == v.name)
            return &v;
    return nullptr;
}

void gatherCrowd(Crowd& crowd, RenderContext& ctx, Drawable* world, const Vector& eye, const Vector& target) {
    const Vector forward = Vector(target.x - eye.x, 0, target.z - eye.z).normalized();
    const Vector side(-forward.z, 0, forward.x);
    const int n = std::min(tourviews::kCrowdWalkers, crowd.count());
    for (int i = 0; i < n; ++i) {
        // A fan of points: rows further ahead, each row wider, as the view widens.
        const float depth = 4.0f + tourviews::kCrowdReach * static_cast<float>(i % 30) / 30.0f;
        const float across = (static_cast<float>(i / 30) / 9.0f - 0.5f) * depth * 0.8f;
        const Vector at = eye + forward * depth + side * across;
        Agent& a = crowd.agent(i);
        a.start(world, at, forward, true);
        if (!a.placed())
            continue;
        a.speed = a.configuredSpeed;
        // Walkers started at one node spread out along its streets.
        const int steps = (i * 37) % tourviews::kCrowdSpread;
        for (int k = 0; k < steps; ++k)
            a.step(ctx, nullptr);
    }
}

bool shotNameAllowed(const std::string& path) {
    return endsWith(path, ".png") || endsWith(path, ".jpg") || endsWith(path, ".jpeg");
}

bool saveShot(const RendererGl& renderer, const std::string& path) {
    const std::vector<uint8_t> rgba = renderer.readPixels();
    const int w = renderer.viewportWidth, h = renderer.viewportHeight;
    if (rgba.empty() || w <= 0 || h <= 0)
        return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) {
        rgb[j] = rgba[i];
        rgb[j + 1] = rgba[i + 1];
        rgb[j + 2] = rgba[i + 2];
    }
    if (endsWith(path, ".jpg") || endsWith(path, ".jpeg"))
        return stbi_write_jpg(path.c_str(), w, h, 3, rgb.data(), tourviews::kJpegQuality) != 0;
    return stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3) != 0;
}
