#include "core/lod/FrameRateMonitor.h"

#include <algorithm>
#include <cmath>

#include "core/RenderContext.h"

namespace {
// A frame this small says nothing about the cost of more detail.
constexpr int32_t kMinTrianglesToRaise = 5000;
// The detail stays strictly inside these bounds.
constexpr float kMinDetail = 0.05f, kMaxDetail = 3.0f;
}  // namespace

void FrameRateMonitor::update(RenderContext& ctx, float fps, uint32_t memoryKb) {
    if (memoryKb > memoryLimit) {
        const float d = ctx.detail() * 0.9f;
        if (d > kMinDetail)
            ctx.setDetail(d);
        return;
    }
    // A rate that is not a number (a zero-length frame) would stay in the
    // average for good and stop the adaptation: such a frame is skipped.
    if (!std::isfinite(fps))
        return;
    smoothed = (fps + smoothed) / 2.0f;
    if (target < 1.0f)
        return;
    float factor = 1.0f;
    if (fps > 0.1f) {
        if (smoothed < target) {
            factor = 0.9f;
            hold = 10;
        } else if (smoothed < 1.2f * target) {
            factor = 0.99f;
            hold = 10;
        } else if (smoothed > 1.2f * target) {
            if (ctx.trianglesDrawn < kMinTrianglesToRaise)
                return;
            if (hold >= 1)
                --hold;
            else
                factor = std::min(1.05f, (smoothed / (1.2f * target) - 1.0f) * 0.02f + 1.0f);
        }
    }
    const float d = factor * ctx.detail();
    if (d > kMinDetail && d < kMaxDetail)
        ctx.setDetail(d);
}
