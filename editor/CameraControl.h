#pragma once
// The camera and setting actions behind the key codes, applied to a render
// context: moves along the view axes (optionally refused by the world's
// collision test), turns, orbits about the town's centre, detail, far distance
// and advance step. Needs no window, so it runs on a NullRenderContext.
#include <string>

#include "core/Vector.h"
#include "editor/KeyboardInput.h"

class Drawable;
class RenderContext;

class CameraControl {
public:
    // Lines of the keyboard help, top to bottom.
    static constexpr int kHelpLineCount = 12;
    static const char* const kHelpLines[kHelpLineCount];

    static constexpr float kDegree = 0.01745329f;  // radians
    static constexpr float kNearDistance = 1.0f;   // metres
    static constexpr float kInitialFarDistance = 10001.0f;
    // The far distance stays where the single-precision projection still
    // separates it from the near plane; the step stays a sensible walk.
    static constexpr float kMinFarDistance = 2.0f;
    static constexpr float kMaxFarDistance = 1.0e6f;
    static constexpr float kMinStep = 0.01f;
    static constexpr float kMaxStep = 1000.0f;

    // ctx: not owned, outlives this object.
    explicit CameraControl(RenderContext& ctx);

    // Start-up camera: eye (1969, 29, 1417) looking at (168, -1953, -8217),
    // near 1 m, far 10001 m, over the context's current viewport.
    void installInitialCamera();

    // Installs the projection: 22.5 degrees half-angle across, near 1 m, far
    // `far` metres, aspect from the context's viewport. The far distance is kept
    // here because the projection's single-precision P10 cannot carry it to
    // two decimals. A far distance that is not a finite number beyond the near
    // one is refused (false); one outside [kMinFarDistance, kMaxFarDistance]
    // is clamped to it.
    bool setFarDistance(float far);
    float farDistance() const { return far_; }
    // New viewport size in pixels; the projection follows the new aspect.
    void resize(int width, int height);

    // What an action leaves for the window to do.
    struct Outcome {
        bool screenshot = false;  // code 23: save the frame before drawing the next
        std::string status;       // new status text; empty: unchanged
    };
    // Applies the action of one key code; `keyboard` holds the advance step.
    // Far distance, step and detail stay within their bounds, and a view that
    // would stop being finite is not installed.
    Outcome apply(KeyCode code, KeyboardInput& keyboard);
    // The step clamped to [kMinStep, kMaxStep]; a non-finite or non-positive
    // step gives `current`.
    static float boundedStep(float step, float current);

    // View that moves the camera by `distance` metres along view axis `axis`
    // (0 right, 1 up, 2 forward); with `collide`, the unchanged view when the
    // world blocks the segment reaching twice as far.
    Matrix44 moveCamera(int axis, float distance, bool collide) const;
    // Rotation about view axis `axis` by `angle` radians, as the view is
    // pre-multiplied with it.
    static Matrix44 rotation(int axis, float angle);
    // view := rotation(axis, degrees) * view.
    void turn(int axis, float degrees);
    // Circles the point straight ahead at the depth of the world root's centre;
    // false (view unchanged) without a world or without a depth.
    bool orbit(int axis, float degrees);

    Drawable* world = nullptr;  // not owned: collision and orbit root; null: nothing blocks
    bool collisions = false;  // the "Collisions" switch

private:
    void setViewIfFinite(const Matrix44& view);

    RenderContext& ctx_;
    float far_ = kInitialFarDistance;
};
