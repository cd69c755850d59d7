#pragma once
// Adapts the renderer's detail to the measured frame rate: down by 10% below
// the target, by 1% just above it, and up by at most 5% once the rate has
// stayed well above it (and the frame was not trivially small). Also lowers the
// detail while memory use exceeds the limit.
#include <cstdint>

class RenderContext;

class FrameRateMonitor {
public:
    // Once per rendered frame, after endFrame: fps is the measured rate,
    // memoryKb the memory in use (0 when not measured).
    void update(RenderContext& ctx, float fps, uint32_t memoryKb);

    float target = 10.0f;         // frames per second; below 1 the adaptation is off
    float smoothed = 5.0f;        // running average of the rate
    uint32_t memoryLimit = 65536;  // Kb
    int32_t hold = 0;             // frames to wait after a decrease before increasing
};
