#include "tools/tour/TourPath.h"

#include <algorithm>
#include <cmath>

#include "core/NullRenderContext.h"
#include "core/Terrain.h"

namespace {
// Keyframes of the path. A keyframe with a ground-relative height gives its
// eye height above the terrain under it; the others are absolute.
struct Key {
    float t;
    Vector eye;
    bool aboveGround;
    Vector forward;  // not necessarily unit
};

// Over the town: the municipality's centre lies near (2750, 1550), and the
// dense quarters around it.
const Vector kOverview{2000, 450, 2600};
const Vector kCentre{2750, 0, 1550};
const Vector kDescent{2450, TourPath::kRooftopHeight, 1950};
const Vector kFlightEnd{3250, TourPath::kRooftopHeight, 1050};
// Rooftop flight looks ahead and slightly down.
const Vector kFlight{800, -180, -900};

float smooth(float s) { return s * s * (3.0f - 2.0f * s); }

Vector lerp(const Vector& a, const Vector& b, float s) { return a + (b - a) * s; }
}  // namespace

float TourPath::groundAt(float x, float z) const { return ground_ ? ground_->height(x, z) : 0.0f; }

float TourPath::routeLength() const {
    float length = 0;
    for (size_t i = 0; i + 1 < route_.size(); ++i)
        length += (route_[i + 1] - route_[i]).length();
    return length;
}

Vec2 TourPath::alongRoute(float s) const {
    int last = -1;  // the last leg of some length passed
    for (size_t i = 0; i + 1 < route_.size(); ++i) {
        const Vec2 a = route_[i], b = route_[i + 1];
        const float l = (b - a).length();
        if (!(l > 0.0f))
            continue;
        if (s <= l)
            return a + (b - a) * (s / l);
        last = static_cast<int>(i);
        s -= l;
    }
    if (last < 0)
        return route_.front();
    // The look ahead runs on past the end along the last leg.
    const Vec2 a = route_[last], b = route_[last + 1];
    return b + (b - a) * (s / (b - a).length());
}

void TourPath::at(float t, Vector& eye, Vector& target) const {
    if (fixed_) {
        eye = fixedEye_;
        target = fixedTarget_;
        return;
    }
    if (route_.size() >= 2) {
        const float s = std::clamp(t, 0.0f, 1.0f) * routeLength();
        const Vec2 here = alongRoute(s);
        Vec2 ahead = alongRoute(s + kLookAhead);
        // Where the route turns back (a dead end) the point ahead comes round
        // to the eye: look on along the way it came instead.
        if ((ahead - here).length() < 1.0f) {
            Vec2 along = here - alongRoute(s - 1.0f);
            if (!(along.length() > 0.0f))
                along = {1, 0};
            ahead = here + along * (kLookAhead / along.length());
        }
        eye = {here.x, groundAt(here.x, here.y) + kWalkHeight, here.y};
        target = {ahead.x, groundAt(ahead.x, ahead.y) + kWalkHeight, ahead.y};
        return;
    }
    const Key keys[] = {
        {0.0f, kStartEye, false, kStartTarget - kStartEye},
        {0.25f, kOverview, false, kCentre - kOverview},
        {0.5f, kDescent, true, kFlight},
        {1.0f, kFlightEnd, true, kFlight},
    };
    constexpr int kKeys = sizeof keys / sizeof keys[0];
    t = std::clamp(t, 0.0f, 1.0f);
    int k = 0;
    while (k + 2 < kKeys && t > keys[k + 1].t)
        ++k;
    const Key& a = keys[k];
    const Key& b = keys[k + 1];
    // The rooftop flight runs at an even pace; the turns ease in and out.
    const float linear = (t - a.t) / (b.t - a.t);
    const float s = a.aboveGround && b.aboveGround ? linear : smooth(linear);

    eye = lerp(a.eye, b.eye, s);
    const float heightA = a.aboveGround ? groundAt(a.eye.x, a.eye.z) + a.eye.y : a.eye.y;
    if (a.aboveGround && b.aboveGround)
        eye.y = groundAt(eye.x, eye.z) + kRooftopHeight;
    else
        eye.y = heightA + ((b.aboveGround ? groundAt(b.eye.x, b.eye.z) + b.eye.y : b.eye.y) - heightA) * s;
    const Vector forward = lerp(a.forward.normalized(), b.forward.normalized(), s).normalized();
    target = eye + forward * 100.0f;
}

Matrix44 TourPath::view(int frame, int frames) const {
    const float t = frames > 1 ? static_cast<float>(frame) / static_cast<float>(frames - 1) : 0.0f;
    Vector eye, target;
    at(t, eye, target);
    return makeView(eye, target);
}

Matrix44 windowProjection(int width, int height) {
    Matrix44 p;
    const float h = 1.0f / std::tan(0.39269909f);
    for (float& e : p.m)
        e = 0;
    p.m[0] = h;
    p.m[5] = h * static_cast<float>(width) / static_cast<float>(height);
    p.m[10] = 1.0001f;
    p.m[11] = -1.0001f;
    p.m[14] = 1;
    return p;
}
