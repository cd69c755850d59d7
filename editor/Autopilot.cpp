#include "editor/Autopilot.h"

#include <cmath>

#include "core/Drawable.h"
#include "core/NullRenderContext.h"
#include "core/RenderContext.h"
#include "editor/CameraControl.h"

Autopilot::Autopilot() {
    agent.configuredSpeed = kConfiguredSpeed;
    agent.height = kCameraHeight;
}

bool Autopilot::switchOn(RenderContext& ctx, Drawable* world) {
    ctx.resetOcclusion(kOcclusionTrial);
    agent.speed = agent.configuredSpeed;
    const Matrix44 camera = ctx.view.inverse();
    const Vector eye = camera.translationPart();
    const Vector forward(camera(0, 2), 0, camera(2, 2));
    agent.start(world, eye, forward, startAtNearest);
    if (!agent.placed() || !(agent.speed > 0)) {
        agent.speed = 0;
        return false;
    }
    // setDetail recomputes the threshold for the viewport.
    ctx.setDetail(kDetail);
    return true;
}

void Autopilot::switchOff(RenderContext& ctx) {
    ctx.resetOcclusion(kOcclusionTrial);
    agent.speed = 0;
}

void Autopilot::toggle(RenderContext& ctx, Drawable* world) {
    if (on())
        switchOff(ctx);
    else
        switchOn(ctx, world);
}

void Autopilot::tick(RenderContext& ctx, Drawable* world, bool collide) {
    if (!on())
        return;
    if (agent.lost() && !agent.replace(world))
        return;
    agent.step(ctx, collide ? world : nullptr);
    ctx.setView(cameraView());
}

Matrix44 Autopilot::cameraView() const {
    const float h = agent.height;
    const Vector eye = agent.position + Vector(0, h, 0);
    // A look point straight above or below the eye gives no direction to look
    // in: look along the heading instead.
    Vector look = agent.lookPoint;
    if (Vec2(look.x - agent.position.x, look.z - agent.position.z).length() < kSameSpot) {
        const Vec2 heading(agent.heading.x, agent.heading.z);
        const float length = heading.length();
        // Without a horizontal heading either (a vertical edge), north.
        look = agent.position + (length > kSameSpot ? Vector(heading.x / length, 0, heading.y / length)
                                                    : Vector(0, 0, 1));
    }
    if (h < kTiltHeight)
        return makeView(eye, look + Vector(0, h, 0));
    const Vector target(look.x, eye.y, look.z);
    return CameraControl::rotation(0, std::atan(kTiltPerMetre * h)) * makeView(eye, target);
}
