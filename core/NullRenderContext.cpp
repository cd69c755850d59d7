#include "core/NullRenderContext.h"

#include <cmath>

#include "core/Desc.h"
#include "core/Poly.h"

namespace {
// A recorded list that remembers how many meshes it stands for.
class NullList : public RenderList {
public:
    explicit NullList(int meshes) : meshes_(meshes) {}
    int count() const override { return meshes_; }
    void add(std::unique_ptr<RenderList> list) override { meshes_ += list->count(); }
    void draw(RenderContext&) override {}

private:
    int meshes_;
};
}  // namespace

Matrix44 makeProjection(int width, int height, float nearDistance, float farDistance) {
    Matrix44 p;
    const float p0 = 1.0f / std::tan(0.3926990817f);  // 22.5 degrees
    p.m[0] = p0;
    p.m[5] = p0 * static_cast<float>(width) / static_cast<float>(height);
    p.m[10] = farDistance / (farDistance - nearDistance);
    p.m[11] = -nearDistance * farDistance / (farDistance - nearDistance);
    p.m[14] = 1;
    p.m[15] = 0;
    return p;
}

Matrix44 makeView(const Vector& eye, const Vector& target, const Vector& up) {
    const Vector forward = (target - eye).normalized();
    const Vector right = up.cross(forward).normalized();
    const Vector up2 = forward.cross(right);
    Matrix44 v;
    const Vector rows[3] = {right, up2, forward};
    for (int r = 0; r < 3; ++r) {
        v.m[r * 4 + 0] = rows[r].x;
        v.m[r * 4 + 1] = rows[r].y;
        v.m[r * 4 + 2] = rows[r].z;
        v.m[r * 4 + 3] = -rows[r].dot(eye);
    }
    return v;
}

NullRenderContext::NullRenderContext(int width, int height, float farDistance) {
    viewportWidth = width;
    viewportHeight = height;
    setProjection(makeProjection(width, height, 1.0f, farDistance));
    setView(Matrix44::identity());
}

void NullRenderContext::lookAt(const Vector& eye, const Vector& target) { setView(makeView(eye, target)); }

void NullRenderContext::beginList() { pending_ = 0; }

std::unique_ptr<RenderList> NullRenderContext::endList() {
    if (pending_ == 0)
        return nullptr;
    auto list = std::make_unique<NullList>(pending_);
    pending_ = 0;
    return list;
}

void NullRenderContext::replayList(RenderList&) {
    ++replayed;
    if (keepCalls)
        replays.push_back(currentDescription);
}

void NullRenderContext::record(const char* op, int points) {
    if (keepCalls)
        calls.push_back({op, currentDescription, points});
    ++pending_;
    ++emitted;
}

void NullRenderContext::extrudedPolygon(const Poly& poly, const Extrusion&, Material*, int) {
    record("extrudedPolygon", poly.count());
}
void NullRenderContext::slabPolygon(const ClipPolygon&, const Extrusion&, Material*) { record("slabPolygon", 0); }
void NullRenderContext::placeModel(const Model*, const Matrix44&, const float[2], Material*) {
    record("placeModel", 0);
}
void NullRenderContext::setLight(const Vector&) {}
void NullRenderContext::roofQuad(const Poly& poly, const float[4], float, Material*) {
    record("roofQuad", poly.count());
}
void NullRenderContext::terrainPolygon(const Poly& poly, const Terrain*, float, Material*) {
    record("terrainPolygon", poly.count());
}
void NullRenderContext::slopedPanel(const Poly& footprint, const Extrusion&, const Extrusion&, Material*) {
    record("slopedPanel", footprint.count());
}
void NullRenderContext::drawGraph(const Graph&) {
    if (keepCalls)
        calls.push_back({"drawGraph", currentDescription, 0});
}

std::unique_ptr<Impostor> NullRenderContext::createImpostor() {
    if (!makesImpostors)
        return nullptr;
    return makeImpostor([this](int, int) -> std::unique_ptr<Impostor> {
        if (impostorTextures == 0)
            return nullptr;
        if (impostorTextures > 0)
            --impostorTextures;
        return std::make_unique<Impostor>();
    });
}

void NullRenderContext::queueImpostor(Impostor* impostor) { queued.push_back(impostor); }
