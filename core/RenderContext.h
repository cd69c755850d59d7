#pragma once
// The render context the traversal receives, and the abstract renderer behind
// it: camera matrices, frustum planes and the plane mask, the level-of-detail
// threshold, impostor and occlusion switches, and the geometry operations with
// which drawables record their meshes. Needs no graphics API; RendererGl
// implements it, NullRenderContext records calls for tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/Extrusion.h"
#include "core/lod/Impostor.h"
#include "core/Vector.h"

struct ClipPolygon;
class Desc;
class Graph;
class GrowthBudget;
class Material;
class OcclusionBuffer;
class Poly;
class RenderContext;
class Terrain;
struct Model;

// A recorded display list: one mesh or a group of them.
class RenderList {
public:
    virtual ~RenderList() = default;
    // Number of meshes: 1 for a single mesh.
    virtual int count() const = 0;
    virtual void add(std::unique_ptr<RenderList> list) = 0;
    virtual void draw(RenderContext& ctx) = 0;
};

// What a context keeps for a subtree drawn as one group (a merged copy of
// its meshes); owned by the subtree's root, opaque to it.
class RenderGroup {
public:
    virtual ~RenderGroup() = default;
    // Drops what it keeps, as the subtree's content goes; it may be in use
    // by the group being drawn, so it stays.
    virtual void release() {}
};

class RenderContext {
public:
    RenderContext();
    virtual ~RenderContext();

    // ---- recording ----
    virtual void beginList() {}
    // The collected list (null when nothing was emitted); the context forgets it.
    virtual std::unique_ptr<RenderList> endList() { return nullptr; }
    virtual void replayList(RenderList& list) { (void)list; }
    virtual void applyModelTransform() {}
    // Runs draw with the model transform carried by placement, then takes
    // the placement off again, so that later drawing does not inherit it.
    template <class Draw>
    void drawPlaced(const Matrix44& placement, Draw&& draw) {
        const Matrix44 savedModel = model, savedModelView = modelView;
        model = savedModel * placement;
        modelView = savedModelView * placement;
        applyModelTransform();
        draw();
        model = savedModel;
        modelView = savedModelView;
        applyModelTransform();
    }
    // Stores the projection, derives the frustum planes, near/far and the threshold.
    virtual void setProjection(const Matrix44& projection);
    // Plane mask 63, impostor count 0, creation allowed, occlusion buffer prepared.
    virtual void beginFrame();
    // Lets the occlusion buffer decide whether it stays active (when occlusion is enabled).
    virtual void endFrame();
    // Occlusion query for the current sphere against this frame's occluders.
    virtual bool isOccluded();
    // Puts the occlusion buffer back into a starting mode (0 off, 1 on, 2 on
    // trial), as the autopilot does when it is switched.
    virtual void resetOcclusion(int mode);
    virtual void reservedHook(void* p) { (void)p; }
    // What is drawn between beginGroup and endGroup is one subtree, whose
    // root owns group: the context may keep a merged copy of it there and
    // draw that while the subtree draws the same meshes. Groups nest; only
    // the outermost counts.
    virtual void beginGroup(std::unique_ptr<RenderGroup>& group) { (void)group; }
    virtual void endGroup() {}

    // ---- geometry ----
    virtual void extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) = 0;
    virtual void slabPolygon(const ClipPolygon& shape, const Extrusion& extrusion, Material* material) = 0;
    // placementB: texture-coordinate factors (u, v) for a model with its own texels.
    virtual void placeModel(const Model* model, const Matrix44& placementA, const float placementB[2],
                            Material* material) = 0;
    virtual void setLight(const Vector& direction) = 0;
    // A four-point polygon with the absolute height of each corner.
    virtual void roofQuad(const Poly& poly, const float heights[4], float thickness, Material* material) = 0;
    // A polygon laid on the terrain, with a border reaching down by depth (a positive depth counts as 0).
    virtual void terrainPolygon(const Poly& poly, const Terrain* terrain, float depth, Material* material) = 0;
    virtual void slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end,
                             Material* material) = 0;
    virtual void drawGraph(const Graph& graph) = 0;
    // One copy of an extruded shape: moved by offset after its height is
    // scaled by heightScale (positive), its diffuse colour multiplied by colour.
    struct Instance {
        Vector offset;
        float heightScale = 1;
        float colour[3] = {1, 1, 1};
    };
    // The prism of extrudedPolygon, drawn once for every instance (none
    // whose height scale is not positive and finite). The texture-offset
    // generator is drawn from as by one extrudedPolygon, whatever the count,
    // and every copy gets the same texture offset and jitter. This one draws
    // the copies one by one (colour left out); a renderer draws them at once.
    virtual void extrudedInstances(const Poly& poly, const Extrusion& extrusion, Material* material,
                                   const std::vector<Instance>& instances);

    // ---- impostors ----
    // An impostor for the current sphere's screen rectangle, or null (none
    // here: a context without textures makes none).
    virtual std::unique_ptr<Impostor> createImpostor() { return nullptr; }
    // The impostor is captured at the end of the frame; not owned.
    virtual void queueImpostor(Impostor* impostor) { (void)impostor; }
    // Screen rectangle of the current sphere into impostorRect.
    virtual void computeScreenRect();

    // ---- camera ----
    // View matrix; recomputes model-view and the camera position.
    void setView(const Matrix44& view);
    // Recomputes the model-view matrix from view and model.
    void updateModelView() { modelView = view * model; }
    // The detail stays within these bounds, which the frame-rate monitor
    // adapts within as well: a tiny detail would refine nothing, a huge one
    // everything.
    static constexpr float kMinDetail = 0.05f, kMaxDetail = 3.0f;
    float detail() const { return detail_; }
    // Clamped to [kMinDetail, kMaxDetail]; a value that is not a number is
    // ignored. Every write recomputes the threshold.
    void setDetail(float detail);
    void setViewport(int width, int height);
    float farDistance() const { return -planes[4].z; }
    float nearDistance() const { return planes[5].z; }
    // "(eye)(target)(up) x<detail>" as the camera store writes it.
    const char* cameraText() const;

    Matrix44 model;
    Matrix44 view;
    Vector cameraPosition;
    Matrix44 projection;
    Matrix44 modelView;
    // Four side planes (unit inward normals through the eye), then the far
    // distance negated and the near distance in the third component.
    Vector planes[6];
    uint8_t viewChanged = 0;
    uint32_t planeMask = 63;
    float lodThreshold = 0;
    int32_t viewportWidth = 0, viewportHeight = 0;
    int32_t trianglesDrawn = 0;
    float currentSphere[4] = {0, 0, 0, 0};  // view-space centre and radius
    uint8_t impostorsEnabled = 1;
    int32_t impostorsMade = 0;
    uint8_t impostorCreationAllowed = 1;
    uint8_t graphDisplay = 0;
    uint8_t occlusionEnabled = 1;
    OcclusionBuffer& occlusion() { return *occlusion_; }
    // How much the traversal may grow and free a frame (unlimited at construction).
    GrowthBudget& growth() { return *growth_; }
    Desc* currentDescription = nullptr;  // not owned
    ScreenRect impostorRect;  // of the current sphere, from computeScreenRect

protected:
    void updateThreshold();
    // A positive, finite height scale and a finite offset.
    static bool drawableInstance(const Instance& instance);
    // Creation of an impostor for impostorRect: none when it is larger than
    // the largest texture or its window leaves the viewport; newImpostor(tw,
    // th) makes the texture-holding object, and when it cannot (null),
    // creation stops for the rest of the frame. Counts what it makes.
    std::unique_ptr<Impostor> makeImpostor(
        const std::function<std::unique_ptr<Impostor>(int textureWidth, int textureHeight)>& newImpostor);

private:
    float detail_ = 0.4f;
    std::unique_ptr<OcclusionBuffer> occlusion_;  // owned
    std::unique_ptr<GrowthBudget> growth_;        // owned
};
