#include "renderer/RendererGl.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <array>
#include <cmath>

#include <malloc.h>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/Graph.h"
#include "core/GrowthBudget.h"
#include "core/Material.h"
#include "core/Model.h"
#include "core/PolyClip.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "renderer/GlWindow.h"
#include "renderer/Tessellator.h"

namespace {

constexpr float kAmbientLevel = static_cast<float>(RendererGl::kAmbient & 0xff) / 255.0f;
// Radius of the triangle that marks a graph node, metres.
constexpr float kNodeRadius = 0.5f;

MeshMaterial solidMaterial(float r, float g, float b) {
    MeshMaterial m;
    for (float* c : {m.diffuse, m.ambient, m.specular, m.emissive}) {
        c[0] = r, c[1] = g, c[2] = b, c[3] = 1;
    }
    return m;
}

// An impostor with its picture: an RGBA texture of one level, handed back to
// the renderer's pool when the impostor goes.
class GlImpostor : public Impostor {
public:
    GlImpostor(GlTexture picture, std::weak_ptr<ImpostorTexturePool> pool)
        : texture(std::move(picture)), pool_(std::move(pool)) {}
    ~GlImpostor() override {
        if (auto pool = pool_.lock())
            pool->give(textureWidth, textureHeight, std::move(texture));
    }
    GlTexture texture;  // owned

private:
    std::weak_ptr<ImpostorTexturePool> pool_;
};

// Chunks of the shared buffers: 8 MiB of vertices with 2 MiB of indices.
constexpr uint32_t kChunkVertices = 1u << 18, kChunkIndices = 1u << 20;
// Live descriptions that must have gone since the heap was last trimmed.
constexpr long kTrimAfterFreed = 20000;

void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace

RendererGl::RendererGl(GlWindow& window) : window_(window) {
    if (!window_.valid())
        return;
    window_.makeCurrent();
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major * 10 + minor < 33)
        return;
    shader_ = std::make_unique<MeshShader>();
    if (!shader_->valid())
        return;
    int width = 0, height = 0;
    window_.size(width, height);
    if (!createRenderTarget(width, height))
        return;

    linearSampler_ = GlSampler(genSampler());
    glSamplerParameteri(linearSampler_.id(), GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(linearSampler_.id(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    pointSampler_ = GlSampler(genSampler());
    glSamplerParameteri(pointSampler_.id(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(pointSampler_.id(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // A shape may reach a little past its picture (terrain skirts, ground
    // above its sphere): the picture's edge is repeated there, not its far side.
    pictureSampler_ = GlSampler(genSampler());
    glSamplerParameteri(pictureSampler_.id(), GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glSamplerParameteri(pictureSampler_.id(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(pictureSampler_.id(), GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glSamplerParameteri(pictureSampler_.id(), GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

    meshArena_ = std::make_shared<MeshArena>(static_cast<uint32_t>(sizeof(PackedVertex)), 2, setPackedVertexLayout,
                                             kChunkVertices, kChunkIndices);
    // A list drawn once and dropped inside a group (a body drawn directly)
    // takes its held-back meshes with it: they are drawn before it goes.
    meshArena_->beforeRelease = [this] {
        if (group_ && heldBackFrom_ < groupMeshes_.size()) {
            groupMode_ = GroupMode::Direct;
            drawHeldBack();
        }
    };
    streamArray_ = GlVertexArray(genVertexArray());
    streamBuffer_ = GlBuffer(genBuffer());
    glBindVertexArray(streamArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_.id());
    setVertexLayout();
    makeInstanceArray();
    glBindVertexArray(0);
    device_ = true;

    clientRect = {0, 0, width, height};
    setViewport(width, height);
    applyRenderStates();
    setDetail(0.4f);
    edgeMaterial = solidMaterial(1, 0, 0);
    nodeMaterial = solidMaterial(0, 0, 1);
    impostorMaterial.emissive[0] = impostorMaterial.emissive[1] = impostorMaterial.emissive[2] = 1;
}

RendererGl::~RendererGl() {
    if (window_.valid())
        window_.makeCurrent();
    // Released descriptions not destroyed yet hold lists of this renderer.
    growth().releaseAll();
    collected_.reset();
}

bool RendererGl::createRenderTarget(int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    frame_ = GlFramebuffer(genFramebuffer());
    colourBuffer_ = GlRenderbuffer(genRenderbuffer());
    depthBuffer_ = GlRenderbuffer(genRenderbuffer());
    glBindFramebuffer(GL_FRAMEBUFFER, frame_.id());
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_.id());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_.id());
    bool complete = false;
    // 24 bits of depth when the driver has them; 16 is accepted and reported.
    for (GLenum format : {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16}) {
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_.id());
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_.id());
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
            complete = true;
            break;
        }
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    if (!complete) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        frame_.reset();
        colourBuffer_.reset();
        depthBuffer_.reset();
        return false;
    }
    GLint bits = 0;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &bits);
    depthBits_ = bits;
    return true;
}

void RendererGl::applyRenderStates() {
    glBindFramebuffer(GL_FRAMEBUFFER, frame_.id());
    glViewport(0, 0, viewportWidth, viewportHeight);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    setDepthTest(true);
    setCulling(true);
    forgetDeviceState();
    glActiveTexture(GL_TEXTURE0);
    setStageTexture(stageTexture_);
    useSampler(linearSampler_.id());
    shader_->use();
    programInUse_ = true;
    shader_->setAmbient({kAmbientLevel, kAmbientLevel, kAmbientLevel});
    shader_->setSkyLight(skyLight, skyColours_.sky, skyColours_.ground);
    shader_->setLight(lightSet_ ? lightDirection_.normalized() * -1.0f : Vector(), {1, 1, 1});
    shader_->setLighting(true);
    viewProjectionDirty_ = true;
}

void RendererGl::forgetDeviceState() {
    boundVertexArray_ = boundSampler_ = boundTexture_ = ~0u;
    texturedSet_ = vertexDiffuseSet_ = -1;
    materialKnown_ = programInUse_ = false;
    // The world transform is uploaded again at the next draw.
    uploadedWorld_.m[0] = std::nanf("");
}

// ---- recording ----

std::unique_ptr<RenderList> RendererGl::endList() { return std::move(collected_); }

void RendererGl::replayList(RenderList& list) { list.draw(*this); }

void RendererGl::applyModelTransform() { setWorldTransform(model); }

void RendererGl::setProjection(const Matrix44& p) {
    flushStream();
    RenderContext::setProjection(p);
    viewProjectionDirty_ = true;
}

// ---- frame ----

void RendererGl::beginFrame() {
    flushStream();
    RenderContext::beginFrame();
    collected_.reset();
    // Pictures of the last frame are taken; their owners may go this frame.
    captureQueue_.clear();
    sceneFinished_ = false;
    meshesDrawn = 0;
    impostorsShown = 0;
    drawCalls = 0;
    groupsDrawnMerged = 0;
    mergeBudget_ = kMergedVerticesPerFrame;
    ++frameCount_;
    group_ = nullptr;
    groupDepth_ = 0;
    if (!device_)
        return;
    applyRenderStates();
    glClearColor(0, 0, 0, 1);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    model = baseModel;
    applyModelTransform();
    updateModelView();
}

void RendererGl::endFrame() {
    RenderContext::endFrame();
    if (!device_)
        return;
    finishScene();
    int windowWidth = 0, windowHeight = 0;
    window_.size(windowWidth, windowHeight);
    // The rectangle is given from the top; GL counts rows from the bottom.
    const Rect& r = clientRect;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_.id());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(r.left, viewportHeight - r.bottom, r.right, viewportHeight - r.top, r.left,
                      windowHeight - r.bottom, r.right, windowHeight - r.top, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (overlay)
        overlay();
    window_.swap();
    applyRenderStates();
    mergedCopies_.releaseIdle(frameCount_, kMergedIdleFrames);
    // Freed meshes and descriptions leave the heap in holes that the C
    // library keeps; after a large release they go back to the system.
    liveAtTrim_ = std::max(liveAtTrim_, Desc::liveCount);
    if (liveAtTrim_ - Desc::liveCount >= kTrimAfterFreed) {
        malloc_trim(0);
        liveAtTrim_ = Desc::liveCount;
    }
}

void RendererGl::finishScene() {
    if (sceneFinished_)
        return;
    flushStream();
    sceneFinished_ = true;
    if (device_ && impostorsEnabled)
        captureImpostors();
}

// ---- impostors ----

std::unique_ptr<Impostor> RendererGl::createImpostor() {
    if (!device_)
        return nullptr;
    return makeImpostor([this](int width, int height) -> std::unique_ptr<Impostor> {
        if (Impostor::liveCount() >= impostorTextureLimit)
            return nullptr;
        if (GlTexture kept = impostorTextures_->take(width, height))
            return std::make_unique<GlImpostor>(std::move(kept), impostorTextures_);
        clearGlErrors();
        GlTexture texture(genTexture());
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture.id());
        // One level, so that the mip-mapping sampler finds it complete.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        const bool failed = !texture || glGetError() != GL_NO_ERROR;
        glBindTexture(GL_TEXTURE_2D, stageTexture_);
        if (failed)
            return nullptr;
        ++impostorTextures_->made;
        return std::make_unique<GlImpostor>(std::move(texture), impostorTextures_);
    });
}

void RendererGl::queueImpostor(Impostor* impostor) {
    if (impostor)
        captureQueue_.push_back(impostor);
}

void RendererGl::captureImpostors() {
    const Matrix44 viewProjection = projection * view;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_.id());
    glActiveTexture(GL_TEXTURE0);
    clearGlErrors();
    for (Impostor* impostor : captureQueue_) {
        auto* picture = dynamic_cast<GlImpostor*>(impostor);
        CALLI_ASSERT(picture && picture->texture);
        const ImpostorWindow window = captureWindow(*impostor, viewportWidth, viewportHeight);
        glBindTexture(GL_TEXTURE_2D, picture->texture.id());
        // GL counts rows from the bottom.
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, window.left, viewportHeight - window.bottom,
                            window.textureWidth, window.textureHeight);
        if (glGetError() != GL_NO_ERROR) {
            // A device that cannot copy its frame never will: no more impostors.
            impostorsEnabled = 0;
            break;
        }
        impostor->captureMatrix = viewProjection;
        impostor->captured = true;
    }
    glBindTexture(GL_TEXTURE_2D, stageTexture_);
    glBindFramebuffer(GL_FRAMEBUFFER, frame_.id());
    captureMatrix = viewProjection;
}

void RendererGl::setLight(const Vector& direction) {
    lightDirection_ = direction;
    lightSet_ = true;
    if (!device_)
        return;
    shader_->use();
    shader_->setLight(direction.normalized() * -1.0f, {1, 1, 1});
    shader_->setLighting(true);
}

bool RendererGl::resize(int width, int height) {
    if (!device_)
        return false;
    window_.makeCurrent();
    flushStream();
    collected_.reset();
    captureQueue_.clear();
    textures_.clear();
    stageTexture_ = 0;
    if (!createRenderTarget(width, height)) {
        device_ = false;
        return false;
    }
    clientRect = {0, 0, width, height};
    setViewport(width, height);
    applyRenderStates();
    Matrix44 p = projection;
    p.m[5] = static_cast<float>(width) * p.m[0] / static_cast<float>(height);
    setProjection(p);
    setView(view);
    if (lightSet_)
        setLight(lightDirection_);
    return true;
}

// ---- reading the render target ----

std::vector<uint8_t> RendererGl::readPixels() const {
    const int w = viewportWidth, h = viewportHeight;
    std::vector<uint8_t> rows(static_cast<size_t>(w) * h * 4);
    if (!device_ || rows.empty())
        return rows;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_.id());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    glBindFramebuffer(GL_FRAMEBUFFER, frame_.id());
    // GL reads bottom row first.
    std::vector<uint8_t> flipped(rows.size());
    const size_t stride = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y)
        std::copy_n(rows.begin() + static_cast<std::ptrdiff_t>((h - 1 - y) * stride), stride,
                    flipped.begin() + static_cast<std::ptrdiff_t>(y * stride));
    return flipped;
}

namespace {
std::vector<uint8_t> toRgb(const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> rgb(rgba.size() / 4 * 3);
    for (size_t i = 0, j = 0; i + 3 < rgba.size(); i += 4, j += 3) {
        rgb[j] = rgba[i];
        rgb[j + 1] = rgba[i + 1];
        rgb[j + 2] = rgba[i + 2];
    }
    return rgb;
}
}  // namespace

bool RendererGl::saveBitmap(const char* path) const {
    const std::vector<uint8_t> rgb = toRgb(readPixels());
    if (rgb.empty())
        return false;
    return stbi_write_bmp(path, viewportWidth, viewportHeight, 3, rgb.data()) != 0;
}

bool RendererGl::savePng(const char* path) const {
    const std::vector<uint8_t> rgb = toRgb(readPixels());
    if (rgb.empty())
        return false;
    return stbi_write_png(path, viewportWidth, viewportHeight, 3, rgb.data(), viewportWidth * 3) != 0;
}

// ---- geometry ----

void RendererGl::emitMesh(TessellatedMesh& made) {
    auto mesh = std::make_unique<Mesh>(made.vertices, std::move(made.indices));
    if (isImpostorMapping(made.material)) {
        mesh->material = impostorMaterial;
        if (auto* picture = dynamic_cast<GlImpostor*>(impostorOf(made.material))) {
            mesh->texture = picture->texture.id();
            mesh->showsImpostor = true;
        }
    } else {
        mesh->material = made.surface;
        if (!made.textureName.empty())
            mesh->texture = textures_.texture(made.textureName.c_str());
    }
    {
        ProfileScope timing(profile::kSubmit, "Submit");
        // Inside a group it waits: most likely it is drawn merged. Held
        // back, it must be drawn before it goes, whether uploaded or not.
        mesh->attach(meshArena_);
        if (!group_)
            upload(*mesh);
        mesh->draw(*this);
    }
    collect(collected_, std::move(mesh));
    ++meshesBuilt;
}

void RendererGl::drawGraph(const Graph& graph) {
    if (!device_)
        return;
    // Node triangles first, then each node's edge lines, drawn node by node.
    std::vector<Vertex> vertices;
    std::vector<std::pair<int, int>> lineRanges;  // first vertex and count per node
    const int nodes = graph.count();
    vertices.reserve(static_cast<size_t>(nodes) * 5);
    for (int i = 0; i < nodes; ++i) {
        const Vector& p = graph.node(i)->position;
        for (int k = 0; k < 3; ++k) {
            const float angle = static_cast<float>(k) * 2.0943951f;  // 120 degrees
            Vertex v;
            v.x = p.x + kNodeRadius * std::cos(angle);
            v.y = p.y;
            v.z = p.z + kNodeRadius * std::sin(angle);
            vertices.push_back(v);
        }
    }
    for (int i = 0; i < nodes; ++i) {
        const GraphNode* node = graph.node(i);
        const int first = static_cast<int>(vertices.size());
        for (const GraphNode* neighbour : node->neighbours) {
            Vertex a, b;
            a.x = node->position.x, a.y = node->position.y, a.z = node->position.z;
            b.x = neighbour->position.x, b.y = neighbour->position.y, b.z = neighbour->position.z;
            vertices.push_back(a);
            vertices.push_back(b);
        }
        lineRanges.emplace_back(first, static_cast<int>(vertices.size()) - first);
    }
    if (vertices.empty())
        return;
    // Drawn over everything: what a group held back must be under it.
    if (group_) {
        groupMode_ = GroupMode::Direct;
        drawHeldBack();
    }
    setDepthTest(false);
    setWorldTransform(Matrix44::identity());
    prepareDraw();
    useVertexDiffuse(false);
    useTextured(false);
    bindVertexArray(streamArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    for (int i = 0; i < nodes; ++i) {
        setMaterial(nodeMaterial);
        glDrawArrays(GL_TRIANGLES, 3 * i, 3);
        ++drawCalls;
        if (lineRanges[i].second > 0) {
            setMaterial(edgeMaterial);
            glDrawArrays(GL_LINES, lineRanges[i].first, lineRanges[i].second);
            ++drawCalls;
        }
    }
    setWorldTransform(model);
    setDepthTest(true);
}

void RendererGl::drawLines(const std::vector<Vector>& ends, const MeshMaterial& colour) {
    if (!device_ || ends.size() < 2)
        return;
    std::vector<Vertex> vertices(ends.size() - ends.size() % 2);
    for (size_t i = 0; i < vertices.size(); ++i)
        vertices[i].x = ends[i].x, vertices[i].y = ends[i].y, vertices[i].z = ends[i].z;
    setDepthTest(false);
    setWorldTransform(Matrix44::identity());
    prepareDraw();
    useVertexDiffuse(false);
    useTextured(false);
    setMaterial(colour);
    bindVertexArray(streamArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, streamBuffer_.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(vertices.size()));
    ++drawCalls;
    setWorldTransform(model);
    setDepthTest(true);
}
