#pragma once
// The renderer: RenderContext on OpenGL 3.3 core. It draws into its own render
// target (colour and a 24-bit depth buffer of the viewport's size), copies the
// client rectangle of it to the window at the end of every frame, and keeps
// the frame there for saving until the next frame starts. Geometry operations
// tessellate into Meshes that are uploaded into shared buffers, drawn at once
// and collected into the display list being recorded. What a subtree drawn
// as a group draws is merged into a few ranges per texture, kept, and drawn
// from them while the subtree draws those meshes; small meshes drawn on
// their own are gathered and drawn together; state is set only when it
// changes. Lighting is one directional light (white) over a scene ambient of
// 0x202020, the classic light, and on top of it, while skyLight is on, the
// sky light the skybox hands over.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "renderer/TessellatingContext.h"
#include "renderer/GlObject.h"
#include "renderer/ImpostorTexturePool.h"
#include "renderer/MergedCopies.h"
#include "renderer/MergedGroup.h"
#include "renderer/Mesh.h"
#include "renderer/MeshShader.h"
#include "renderer/SkyLight.h"
#include "renderer/StreamBatch.h"
#include "renderer/TextureCache.h"

class GlWindow;

class RendererGl : public TessellatingContext {
public:
    static constexpr const char* kCreateError = "Error creating RendererGl";
    static constexpr const char* kResizeError = "Error resizing RendererGl";
    static constexpr const char* kDepth16Message =
        "z-buffer could be set to 16-bit depth only.\n            See README.TXT";
    // Scene ambient colour, 0x00RRGGBB.
    static constexpr uint32_t kAmbient = 0x202020;

    // Left, top, right, bottom in pixels, top-left origin.
    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    // window: not owned, must outlive the renderer; its context is made
    // current. When the device cannot be set up, hasDevice() is false and the
    // renderer must not be used (the owner reports kCreateError).
    explicit RendererGl(GlWindow& window);
    ~RendererGl() override;

    bool hasDevice() const { return device_; }
    // Bits of the depth buffer drawn with; the owner shows kDepth16Message at 16.
    int depthBits() const { return depthBits_; }
    bool depthIs16Bit() const { return depthBits_ <= 16; }

    // ---- RenderContext ----
    void beginList() override {}
    std::unique_ptr<RenderList> endList() override;
    void replayList(RenderList& list) override;
    void applyModelTransform() override;
    void setProjection(const Matrix44& projection) override;
    void beginFrame() override;
    void endFrame() override;
    // Ends the frame's scene: the impostors queued this frame copy their
    // pictures now, so that what is drawn after it (the selection's outline)
    // stays out of them. endFrame does it when nothing else did.
    void finishScene();
    void setLight(const Vector& direction) override;
    void drawGraph(const Graph& graph) override;
    // The copies in one instanced draw, the instance's colour times the
    // shape's diffuse colour; counted as one mesh drawn per copy. Inside a
    // group, or painted with an impostor, they are drawn one by one.
    void extrudedInstances(const Poly& poly, const Extrusion& extrusion, Material* material,
                           const std::vector<Instance>& instances) override;
    // Line segments between consecutive pairs of world points in one colour,
    // over everything (no depth test), unlit: the selection's outline.
    void drawLines(const std::vector<Vector>& ends, const MeshMaterial& colour);
    // A texture of the window's size for the current sphere, copied from the
    // frame at endFrame; null when the sphere is too large on screen, its
    // window leaves the viewport, or no texture can be made (then no other
    // impostor is made this frame).
    std::unique_ptr<Impostor> createImpostor() override;
    void queueImpostor(Impostor* impostor) override;
    // Groups: the meshes drawn in between are held back. While they are
    // those of the group's merged copy, endGroup draws that copy; otherwise
    // it merges them anew and draws the new copy, or, once the frame has
    // merged its share (kMergedVerticesPerFrame), they are drawn on their own.
    void beginGroup(std::unique_ptr<RenderGroup>& group) override;
    void endGroup() override;

    // New client size: releases the texture cache and the render target,
    // makes them again at the new size and sets viewport, render states,
    // projection (P5 := width * P0 / height), view and light again. Recorded
    // lists then refer to released textures: the owner rebuilds the world and
    // the skybox. False when the device could not be reset (kResizeError).
    bool resize(int width, int height);

    // The frame as last drawn, RGBA, top row first, viewport size.
    std::vector<uint8_t> readPixels() const;
    // The render target as a Windows bitmap (24-bit) or a PNG; false when the
    // file cannot be written.
    bool saveBitmap(const char* path) const;
    bool savePng(const char* path) const;

    // ---- device, for the skybox and the impostors ----
    TextureCache& textureCache() { return textures_; }
    // Binds texture (0: none) on stage 0 for the following draws.
    void setStageTexture(GLuint texture);
    GLuint stageTexture() const { return stageTexture_; }
    void setWorldTransform(const Matrix44& world);
    // The view used for drawing instead of `view` until resetViewTransform().
    void setViewTransform(const Matrix44& viewTransform);
    void resetViewTransform();
    void setLighting(bool on);
    void setDepthTest(bool on);
    void setCulling(bool on);
    // Point sampling with no mip levels (skybox) or linear with mip levels.
    void setPointFiltering(bool on);
    void setMaterial(const MeshMaterial& material);
    // Whether the stage-0 texture modulates the colour of the following draws.
    void setTextured(bool textured);
    // Makes the shader, the transforms and the render target current: call
    // before drawing with GL directly.
    void prepareDraw();
    // One mesh with its material and texture, in the current transforms.
    void drawMesh(const Mesh& mesh);
    // Binds a vertex array for the following draws (0: none).
    void bindVertexArray(GLuint vertexArray);

    // Present rectangle: copied from the render target to the window at the
    // end of a frame (its bottom is raised while a status bar covers it).
    Rect clientRect;
    // Called after the frame reaches the window and before it is shown: the
    // editor draws its menus and dialogs there. May be empty.
    std::function<void()> overlay;
    // Installed as the model matrix at every frame start.
    Matrix44 baseModel;

    // "Sky light": the hemisphere ambient is added while on (from the next
    // frame); off, the classic light exactly. Without colours (no skybox
    // built) it adds nothing.
    bool skyLight = true;
    void setSkyLightColours(const SkyLight& colours) { skyColours_ = colours; }
    const SkyLight& skyLightColours() const { return skyColours_; }

    // Graph edges (red) and nodes (blue), and meshes showing an impostor.
    MeshMaterial edgeMaterial;
    MeshMaterial nodeMaterial;
    MeshMaterial impostorMaterial;

    // "Batching": groups are merged and drawn merged. Off, every list is
    // drawn on its own; merged copies already made go once undrawn for
    // kMergedIdleFrames frames.
    bool batching = true;
    // Vertices merged a frame at most; a group waits for a later frame beyond.
    static constexpr size_t kMergedVerticesPerFrame = 250000;
    // Frames a merged copy stays undrawn before it gives its memory back.
    static constexpr long kMergedIdleFrames = 60;
    // The groups holding a merged copy, with their size on the device.
    const MergedCopies& mergedCopies() const { return mergedCopies_; }

    // Statistics: meshes tessellated since construction; meshes drawn (each
    // counted, merged or not), meshes showing an impostor, draw calls issued
    // (the skybox's too) and groups drawn merged, since the last beginFrame.
    long meshesBuilt = 0;
    int meshesDrawn = 0;
    int impostorsShown = 0;
    int drawCalls = 0;
    int groupsDrawnMerged = 0;

    // Projection times view at the last impostor capture.
    Matrix44 captureMatrix;
    // Impostor textures that may live at once (each at most 64 KiB); creation
    // fails beyond it as when the device runs out of texture memory.
    long impostorTextureLimit = 4096;
    // Textures of impostors that went, for the next ones of the same size.
    const ImpostorTexturePool& impostorTextures() const { return *impostorTextures_; }

private:
    bool createRenderTarget(int width, int height);
    void applyRenderStates();
    // Material, texture, upload, draw, collect.
    void emitMesh(TessellatedMesh& mesh) override;
    // Copies every queued impostor's window of the frame into its texture.
    void captureImpostors();
    // The mesh's device copy, made once.
    void upload(const Mesh& mesh);
    // The mesh's own draw call with world as its world transform, or, when
    // it may be gathered and is small, its place in the stream batch.
    void drawSingle(const Mesh& mesh, const Matrix44& world, bool mayGather = true);
    // Draws what the stream batch gathered, with the view it was gathered under.
    void flushStream();
    // Program, world transform and viewProjection made current.
    void useTransforms(const Matrix44& viewProjection);
    // The view drawn with (the override's while there is one).
    const Matrix44& drawnView() const { return viewOverride_ ? *viewOverride_ : view; }
    Matrix44 viewProjection() const;
    // The group's held-back meshes, each on its own.
    void drawHeldBack(bool mayGather = true);
    void drawMerged(MergedGroup& group);
    // Shader state, set only when it changes.
    void useSampler(GLuint sampler);
    void useMaterial(const float diffuse[3], const float ambient[3], const float emissive[3]);
    void useTextured(bool textured);
    void useVertexDiffuse(bool on);
    // Forgets what the device holds (after others drew with it).
    void forgetDeviceState();
    // The vertex array of instanced draws: the shape's vertices, and per
    // instance its diffuse colour (attribute 3) and placement (attribute 4).
    void makeInstanceArray();

    GlWindow& window_;  // not owned
    bool device_ = false;
    int depthBits_ = 0;
    std::unique_ptr<MeshShader> shader_;
    GlFramebuffer frame_;
    GlRenderbuffer colourBuffer_;
    GlRenderbuffer depthBuffer_;
    GlSampler linearSampler_;
    GlSampler pointSampler_;
    GlSampler pictureSampler_;  // impostor pictures: linear, one level, clamped
    GlVertexArray streamArray_;  // user-memory draws (the graph)
    GlBuffer streamBuffer_;
    GlVertexArray instanceArray_;
    GlBuffer instanceShape_, instanceShapeIndices_, instanceRecords_;
    std::vector<float> instanceData_;  // per instance: diffuse colour, offset, height scale
    TextureCache textures_;
    // Shared with the impostors, which give their texture back when they go
    // (while the renderer lives).
    std::shared_ptr<ImpostorTexturePool> impostorTextures_ = std::make_shared<ImpostorTexturePool>();
    std::unique_ptr<RenderList> collected_;  // owned until endList
    std::vector<Impostor*> captureQueue_;    // not owned: the descriptions'; emptied every frame
    // Shared with the meshes, which give their ranges back when they go
    // (while the renderer lives).
    std::shared_ptr<MeshArena> meshArena_;
    // The outermost group being drawn (not owned), how deep groups nest,
    // whether every mesh so far matched its merged copy (the next one from
    // sourceCursor_ on) or is gathered for a new copy (with its vertices) or
    // the group is drawn mesh by mesh; what the group drew this frame and
    // the meshes (not owned: alive while the group draws), not drawn yet from
    // heldBackFrom_ on.
    enum class GroupMode { Matching, Gathering, Direct };
    MergedGroup* group_ = nullptr;
    int groupDepth_ = 0;
    GroupMode groupMode_ = GroupMode::Direct;
    size_t sourceCursor_ = 0;
    size_t gatheredVertices_ = 0;
    MergedGroup::Sequence groupDrawn_;
    std::vector<const Mesh*> groupMeshes_;
    size_t heldBackFrom_ = 0;
    size_t mergeBudget_ = kMergedVerticesPerFrame;
    MergedCopies mergedCopies_;
    long frameCount_ = 0;  // frames begun
    // What the device holds; ~0u / -1: not known.
    GLuint boundVertexArray_ = ~0u;
    GLuint boundSampler_ = ~0u;
    GLuint boundTexture_ = ~0u;
    int texturedSet_ = -1, vertexDiffuseSet_ = -1;
    bool materialKnown_ = false, programInUse_ = false;
    float materialSet_[9] = {};
    bool sceneFinished_ = false;             // the impostors of this frame are captured
    // Small meshes drawn on their own wait here while batching is on and
    // the frame's scene is drawn in its plain state (lit, depth tested,
    // culled, in the frame's view); any change of it draws them first.
    StreamBatch stream_;
    Matrix44 streamViewProjection_;
    bool lighting_ = true, depthTest_ = true, culling_ = true;

    Vector lightDirection_;
    bool lightSet_ = false;
    SkyLight skyColours_;  // black until a skybox hands its colours over
    GLuint stageTexture_ = 0;
    Matrix44 world_;
    std::optional<Matrix44> viewOverride_;
    // What the shader holds, to upload only changes.
    Matrix44 uploadedWorld_;
    // Live descriptions at most since the heap was last trimmed.
    long liveAtTrim_ = 0;
    Matrix44 uploadedViewProjection_;
    bool viewProjectionDirty_ = true;
};
