#include "editor/CameraControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Desc.h"
#include "core/NullRenderContext.h"
#include "core/RenderContext.h"

const char* const CameraControl::kHelpLines[kHelpLineCount] = {
    "UP/DOWN: advance in Z",
    "RIGTH/LEFT: turn in Y",
    "Ctrl + UP/DOWN: turn in X",
    "Ctrl + RIGTH/LEFT: turn in Z",
    "Alt + UP/DOWN: advance in Y",
    "Alt + RIGTH/LEFT: advance in X",
    "Shift + RIGTH/LEFT: turn object in Y",
    "Shift + UP/DOWN: turn object in X",
    "f/F: decrease/increase depth field",
    "v/V: decrease/increase advance step ",
    "d/D: decrease/increase level of detail",
    "s: take screenshot",
};

namespace {

// Computes depths only above this; Drawable reports -1e30 for "no depth".
constexpr float kNoDepth = -1e29f;

std::string format(const char* pattern, double value) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

}  // namespace

CameraControl::CameraControl(RenderContext& ctx) : ctx_(ctx) {}

void CameraControl::installInitialCamera() {
    ctx_.setView(makeView({1969, 29, 1417}, {168, -1953, -8217}, {0, 1, 0}));
    setFarDistance(kInitialFarDistance);
}

bool CameraControl::setFarDistance(float far) {
    // A far plane on or before the near one makes the projection singular.
    if (!(far > kNearDistance) || !std::isfinite(far))
        return false;
    far = std::clamp(far, kMinFarDistance, kMaxFarDistance);
    far_ = far;
    // Rebuilt around the fixed 1 m near plane: scaling P10 alone would let
    // repeated f/F presses drift the near distance.
    const int width = ctx_.viewportWidth > 0 ? ctx_.viewportWidth : 1;
    const int height = ctx_.viewportHeight > 0 ? ctx_.viewportHeight : 1;
    ctx_.setProjection(makeProjection(width, height, kNearDistance, far));
    return true;
}

void CameraControl::resize(int width, int height) {
    ctx_.setViewport(width, height);
    setFarDistance(far_);
}

Matrix44 CameraControl::rotation(int axis, float angle) {
    const int i = (axis + 1) % 3;
    const int j = (axis + 2) % 3;
    Matrix44 r;
    r.m[axis * 4 + axis] = 1;
    r(i, i) = std::cos(angle);
    r(j, j) = std::cos(angle);
    r(i, j) = std::sin(angle);
    r(j, i) = -std::sin(angle);
    return r;
}

Matrix44 CameraControl::moveCamera(int axis, float distance, bool collide) const {
    Vector t;
    (&t.x)[axis] = -distance;
    if (collide && world) {
        const Vector p = ctx_.view.inverse().translationPart();
        const Vector q = (Matrix44::translation(2 * t.x, 2 * t.y, 2 * t.z) * ctx_.view).inverse().translationPart();
        if (world->collides(p, q))
            t = Vector();
    }
    return Matrix44::translation(t.x, t.y, t.z) * ctx_.view;
}

void CameraControl::turn(int axis, float degrees) { setViewIfFinite(rotation(axis, degrees * kDegree) * ctx_.view); }

void CameraControl::setViewIfFinite(const Matrix44& view) {
    for (float e : view.m)
        if (!std::isfinite(e))
            return;
    ctx_.setView(view);
}

float CameraControl::boundedStep(float step, float current) {
    if (!(step > 0) || !std::isfinite(step))
        return current;
    return std::clamp(step, kMinStep, kMaxStep);
}

bool CameraControl::orbit(int axis, float degrees) {
    float d = 0;
    bool found = false;
    for (Drawable* node = world; node && !found; node = node->parent) {
        node->computeDepth(ctx_.modelView);
        if (node->depth > kNoDepth) {
            d = node->depth;
            found = true;
        }
    }
    if (!found)
        return false;
    setViewIfFinite(Matrix44::translation(0, 0, d) * rotation(axis, degrees * kDegree) *
                    Matrix44::translation(0, 0, -d) * ctx_.view);
    return true;
}

CameraControl::Outcome CameraControl::apply(KeyCode code, KeyboardInput& keyboard) {
    Outcome out;
    const float step = keyboard.step;
    switch (code) {
    case 0:
        ctx_.viewChanged = 0;
        break;
    case 1:
    case 2:
        setViewIfFinite(moveCamera(2, code == 1 ? step : -step, collisions));
        break;
    case 13:
    case 14:
        setViewIfFinite(moveCamera(0, code == 13 ? step : -step, collisions));
        break;
    case 15:
    case 16:
        setViewIfFinite(moveCamera(1, code == 15 ? step : -step, collisions));
        break;
    case 3:
    case 4:
        turn(1, code == 3 ? 1.0f : -1.0f);
        break;
    case 5:
    case 6:
        turn(0, code == 5 ? 1.0f : -1.0f);
        break;
    case 7:
    case 8:
        turn(2, code == 7 ? 1.0f : -1.0f);
        break;
    case 19:
    case 20:
        orbit(1, code == 19 ? -1.0f : 1.0f);
        break;
    case 21:
    case 22:
        orbit(0, code == 21 ? -1.0f : 1.0f);
        break;
    case 9:
    case 10:
        ctx_.setDetail(ctx_.detail() * (code == 9 ? 2.0f : 0.5f));
        out.status = format("Detail: x%.2f", ctx_.detail());
        break;
    case 11:
    case 12:
        setFarDistance(far_ * (code == 11 ? 2.0f : 0.5f));
        out.status = format("Depth of field: %.2f metres", far_);
        break;
    case 17:
    case 18:
        keyboard.step = boundedStep(keyboard.step * (code == 17 ? 2.0f : 0.5f), keyboard.step);
        out.status = format("Speed: %.2f metres/step", keyboard.step);
        break;
    case 23:
        out.screenshot = true;
        break;
    default:
        break;
    }
    return out;
}
