#pragma once
// The main window's autopilot: the camera rides an agent along the street
// graph. Switched on, the agent starts at the graph node nearest the camera
// (or a random one) and the camera is placed at its eye every tick: level
// gaze below 5 m, above that a horizontal gaze tilted down by atan(0.004 h).
// Needs no window, so it runs on a NullRenderContext.
#include "core/Vector.h"
#include "navigation/Agent.h"

class Drawable;
class RenderContext;

class Autopilot {
public:
    static constexpr float kConfiguredSpeed = 0.3f;   // "Speed (m/frame)"
    static constexpr float kCameraHeight = 30.0f;     // "Camera height", metres
    static constexpr float kDetail = 0.5f;            // detail while it walks
    static constexpr float kTiltHeight = 5.0f;        // from here up the gaze tilts down
    static constexpr float kTiltPerMetre = 0.004f;    // tan of the tilt per metre of height
    static constexpr int kOcclusionTrial = 2;         // occlusion mode set at each switch
    static constexpr float kSameSpot = 1e-3f;         // metres

    Autopilot();

    // On when the agent walks (its speed is positive).
    bool on() const { return agent.speed > 0; }
    // Switched on: occlusion on trial, the agent started from the camera of
    // ctx on world's graph, detail kDetail. Stays off (false) when world has
    // no graph node with a neighbour.
    bool switchOn(RenderContext& ctx, Drawable* world);
    // Occlusion on trial, the agent stands (it keeps its place).
    void switchOff(RenderContext& ctx);
    // The "Autopilot" command.
    void toggle(RenderContext& ctx, Drawable* world);
    // One tick while on: a lost agent is placed again at the nearest node,
    // the agent steps (world blocks it when collide is set) and the camera
    // is placed at its eye. Nothing while off.
    void tick(RenderContext& ctx, Drawable* world, bool collide);
    // The view from the agent's eye towards its look point.
    Matrix44 cameraView() const;

    Agent agent;
    bool startAtNearest = true;  // "Autopilot starts at:" "Nearest node" (else "Random node")
};
