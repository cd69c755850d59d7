#include "renderer/Picker.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Desc.h"
#include "core/RenderContext.h"
#include "renderer/MeshCollector.h"

namespace {

// Hits closer than this to the eye belong to the near plane's side, not the scene.
constexpr float kMinDistance = 1e-3f;

// Distance along the ray to triangle (a, b, c), either side; negative when missed.
// Moeller and Trumbore's test.
float rayTriangle(const Picker::Ray& ray, const Vector& a, const Vector& b, const Vector& c) {
    const Vector e1 = b - a, e2 = c - a;
    const Vector p = ray.direction.cross(e2);
    const float det = e1.dot(p);
    if (std::fabs(det) < 1e-12f)
        return -1;
    const float inv = 1.0f / det;
    const Vector s = ray.origin - a;
    const float u = s.dot(p) * inv;
    if (u < 0 || u > 1)
        return -1;
    const Vector q = s.cross(e1);
    const float v = ray.direction.dot(q) * inv;
    if (v < 0 || u + v > 1)
        return -1;
    return e2.dot(q) * inv;
}

// Whether the ray meets the sphere in front of its origin.
bool raySphere(const Picker::Ray& ray, const Vector& centre, float radius) {
    const Vector oc = centre - ray.origin;
    const float along = oc.dot(ray.direction);
    const float apart2 = oc.dot(oc) - along * along;
    if (apart2 > radius * radius)
        return false;
    return along + radius >= 0;
}

}  // namespace

Picker::Ray Picker::rayThroughPixel(const RenderContext& ctx, float x, float y) {
    const float w = static_cast<float>(std::max(ctx.viewportWidth, 1));
    const float h = static_cast<float>(std::max(ctx.viewportHeight, 1));
    const float ndcX = 2.0f * x / w - 1.0f, ndcY = 1.0f - 2.0f * y / h;
    const float* p = ctx.projection.m;
    // View space looks along +z: clip x = P0 x + P2 z, w = z (and likewise for y).
    const Vector inView((ndcX - p[2]) / (p[0] != 0 ? p[0] : 1), (ndcY - p[6]) / (p[5] != 0 ? p[5] : 1), 1);
    const Matrix44 toWorld = ctx.view.inverse();
    const Vector origin = toWorld.transformPoint({0, 0, 0});
    const Vector far = toWorld.transformPoint(inView);
    return {origin, (far - origin).normalized()};
}

Picker::Hit Picker::pick(Desc& root, const Ray& ray) {
    MeshCollector collector;
    collector.enter = [&ray](const Desc& desc, const Matrix44& frame) {
        return raySphere(ray, frame.transformPoint(desc.centre), desc.radius);
    };
    collector.collect(root, Matrix44::identity());
    Hit hit;
    float best = std::numeric_limits<float>::infinity();
    for (const MeshCollector::Piece& piece : collector.pieces) {
        const auto& v = piece.vertices;
        for (size_t t = 0; t + 2 < piece.indices.size(); t += 3) {
            const Vertex& a = v[piece.indices[t]];
            const Vertex& b = v[piece.indices[t + 1]];
            const Vertex& c = v[piece.indices[t + 2]];
            const float d = rayTriangle(ray, {a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z});
            if (d > kMinDistance && d < best) {
                best = d;
                hit.desc = const_cast<Desc*>(piece.owner);
            }
        }
    }
    if (hit.desc) {
        hit.distance = best;
        hit.point = ray.origin + ray.direction * best;
    }
    return hit;
}
