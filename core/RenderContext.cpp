#include "core/RenderContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/GrowthBudget.h"
#include "core/RandomGenerator.h"
#include "core/lod/OcclusionBuffer.h"

RenderContext::RenderContext()
    : occlusion_(std::make_unique<OcclusionBuffer>()), growth_(std::make_unique<GrowthBudget>()) {}
RenderContext::~RenderContext() = default;

void RenderContext::setProjection(const Matrix44& p) {
    projection = p;
    const float a = 1.0f / p.m[0];
    const float b = 1.0f / p.m[5];
    planes[0] = Vector(0, -1, b).normalized();
    planes[1] = Vector(-1, 0, a).normalized();
    planes[2] = Vector(0, 1, b).normalized();
    planes[3] = Vector(1, 0, a).normalized();
    const float far = p.m[11] / (1.0f - p.m[10]);
    const float near = -p.m[11] / p.m[10];
    planes[4] = Vector(0, 0, -far);
    planes[5] = Vector(0, 0, near);
    updateThreshold();
}

void RenderContext::beginFrame() {
    planeMask = 63;
    impostorsMade = 0;
    impostorCreationAllowed = 1;
    occlusion_->beginFrame(occlusionEnabled);
}

void RenderContext::endFrame() {
    if (occlusionEnabled)
        occlusion_->endFrame();
}

bool RenderContext::isOccluded() { return occlusion_->isOccluded(currentSphere, projection); }

bool RenderContext::drawableInstance(const Instance& instance) {
    return instance.heightScale > 0 && std::isfinite(instance.heightScale) && std::isfinite(instance.offset.x) &&
           std::isfinite(instance.offset.y) && std::isfinite(instance.offset.z);
}

void RenderContext::extrudedInstances(const Poly& poly, const Extrusion& extrusion, Material* material,
                                      const std::vector<Instance>& instances) {
    // Each copy starts from the same generator state, so all draw the same
    // offsets and the state after is that of one.
    RandomGenerator& offsets = RandomGenerator::textureOffset();
    const RandomGenerator start = offsets;
    RandomGenerator after = start;
    for (const Instance& instance : instances) {
        if (!drawableInstance(instance))
            continue;
        offsets = start;
        Matrix44 placement = Matrix44::translation(instance.offset.x, instance.offset.y, instance.offset.z);
        placement.m[5] = instance.heightScale;
        drawPlaced(placement, [&] { extrudedPolygon(poly, extrusion, material, 0); });
        after = offsets;
    }
    offsets = after;
}

void RenderContext::computeScreenRect() { impostorRect = screenRectOf(currentSphere, projection); }

std::unique_ptr<Impostor> RenderContext::makeImpostor(
    const std::function<std::unique_ptr<Impostor>(int, int)>& newImpostor) {
    const std::optional<ImpostorWindow> window = planImpostorWindow(impostorRect, viewportWidth, viewportHeight);
    if (!window)
        return nullptr;
    std::unique_ptr<Impostor> made = newImpostor(window->textureWidth, window->textureHeight);
    if (!made) {
        impostorCreationAllowed = 0;
        return nullptr;
    }
    made->originX = impostorRect.minX;
    made->originY = impostorRect.minY;
    made->width = 2.0f * static_cast<float>(window->textureWidth) / static_cast<float>(viewportWidth);
    made->height = 2.0f * static_cast<float>(window->textureHeight) / static_cast<float>(viewportHeight);
    made->textureWidth = window->textureWidth;
    made->textureHeight = window->textureHeight;
    made->viewpoint = cameraPosition;
    ++impostorsMade;
    return made;
}

void RenderContext::setView(const Matrix44& v) {
    view = v;
    updateModelView();
    viewChanged = 1;
    cameraPosition = view.inverse().translationPart();
}

void RenderContext::setDetail(float detail) {
    if (std::isnan(detail))
        return;
    detail_ = std::clamp(detail, kMinDetail, kMaxDetail);
    updateThreshold();
}

void RenderContext::setViewport(int width, int height) {
    viewportWidth = width;
    viewportHeight = height;
    updateThreshold();
}

void RenderContext::updateThreshold() {
    const float denominator = detail_ * static_cast<float>(viewportWidth) * projection.m[0];
    lodThreshold = denominator != 0 ? 40.0f / denominator : 0.0f;
}

const char* RenderContext::cameraText() const {
    static char buffer[256];
    const Matrix44 inv = view.inverse();
    const Vector eye = inv.translationPart();
    const Vector forward(inv.m[2], inv.m[6], inv.m[10]);
    const Vector up(inv.m[1], inv.m[5], inv.m[9]);
    const Vector target = eye + forward * farDistance();
    std::snprintf(buffer, sizeof buffer, "(%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f)(%.2f,%.2f,%.2f) x%.2f", eye.x, eye.y,
                  eye.z, target.x, target.y, target.z, up.x, up.y, up.z, detail_);
    return buffer;
}

void RenderContext::resetOcclusion(int mode) { occlusion_->reset(mode); }
