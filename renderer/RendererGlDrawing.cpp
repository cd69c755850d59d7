// The renderer's device state, set only when it changes, and its draws: a
// mesh on its own (small ones gathered and drawn together), groups held back
// and drawn from their merged copy, and instanced copies.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/Desc.h"
#include "core/Profiler.h"
#include "core/lod/OcclusionBuffer.h"
#include "renderer/RendererGl.h"

namespace {
// Meshes below which a group is not worth merging.
constexpr size_t kMinMergedMeshes = 2;
// Floats per instance: diffuse colour, then offset and height scale.
constexpr int kInstanceFloats = 7;
}  // namespace

// ---- device ----

void RendererGl::setStageTexture(GLuint texture) {
    stageTexture_ = texture;
    if (texture == boundTexture_)
        return;
    boundTexture_ = texture;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void RendererGl::bindVertexArray(GLuint vertexArray) {
    if (vertexArray == boundVertexArray_)
        return;
    boundVertexArray_ = vertexArray;
    glBindVertexArray(vertexArray);
}

void RendererGl::useSampler(GLuint sampler) {
    if (sampler == boundSampler_)
        return;
    boundSampler_ = sampler;
    glBindSampler(0, sampler);
}

void RendererGl::useMaterial(const float diffuse[3], const float ambient[3], const float emissive[3]) {
    const float wanted[9] = {diffuse[0], diffuse[1], diffuse[2], ambient[0], ambient[1],
                             ambient[2], emissive[0], emissive[1], emissive[2]};
    if (materialKnown_ && std::memcmp(wanted, materialSet_, sizeof wanted) == 0)
        return;
    std::memcpy(materialSet_, wanted, sizeof wanted);
    materialKnown_ = true;
    MeshMaterial m;
    std::copy_n(diffuse, 3, m.diffuse);
    std::copy_n(ambient, 3, m.ambient);
    std::copy_n(emissive, 3, m.emissive);
    shader_->setMaterial(m);
}

void RendererGl::useTextured(bool textured) {
    if (texturedSet_ == static_cast<int>(textured))
        return;
    texturedSet_ = textured;
    shader_->setTextured(textured);
}

void RendererGl::useVertexDiffuse(bool on) {
    if (vertexDiffuseSet_ == static_cast<int>(on))
        return;
    vertexDiffuseSet_ = on;
    shader_->setVertexDiffuse(on);
}

void RendererGl::setWorldTransform(const Matrix44& world) { world_ = world; }

void RendererGl::setViewTransform(const Matrix44& viewTransform) {
    flushStream();
    viewOverride_ = viewTransform;
    viewProjectionDirty_ = true;
}

void RendererGl::resetViewTransform() {
    flushStream();
    viewOverride_.reset();
    viewProjectionDirty_ = true;
}

void RendererGl::setLighting(bool on) {
    flushStream();
    lighting_ = on;
    shader_->setLighting(on);
}

void RendererGl::setDepthTest(bool on) {
    flushStream();
    depthTest_ = on;
    on ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
}

void RendererGl::setCulling(bool on) {
    flushStream();
    culling_ = on;
    on ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
}

void RendererGl::setPointFiltering(bool on) { useSampler(on ? pointSampler_.id() : linearSampler_.id()); }

void RendererGl::setMaterial(const MeshMaterial& material) {
    useMaterial(material.diffuse, material.ambient, material.emissive);
}

void RendererGl::setTextured(bool textured) { useTextured(textured); }

Matrix44 RendererGl::viewProjection() const {
    // The view can change through setView, which the renderer does not see.
    return projection * drawnView();
}

void RendererGl::prepareDraw() {
    const Matrix44 current = viewProjection();
    if (!stream_.empty() && !(current == streamViewProjection_))
        flushStream();
    useTransforms(current);
}

void RendererGl::useTransforms(const Matrix44& viewProjection) {
    if (!programInUse_) {
        shader_->use();
        programInUse_ = true;
    }
    if (!(world_ == uploadedWorld_)) {
        shader_->setWorld(world_);
        uploadedWorld_ = world_;
    }
    if (viewProjectionDirty_ || !(viewProjection == uploadedViewProjection_)) {
        shader_->setViewProjection(viewProjection);
        uploadedViewProjection_ = viewProjection;
        viewProjectionDirty_ = false;
    }
}

void RendererGl::upload(const Mesh& mesh) {
    const int chunks = meshArena_->chunkCount();
    mesh.upload(meshArena_);
    // A new chunk binds its own vertex array.
    if (meshArena_->chunkCount() != chunks)
        boundVertexArray_ = ~0u;
}

void RendererGl::drawMesh(const Mesh& mesh) {
    if (!device_ || mesh.vertices().empty() || mesh.indices().empty())
        return;
    ++meshesDrawn;
    impostorsShown += mesh.showsImpostor ? 1 : 0;
    if (!group_) {
        ProfileScope timing(profile::kSubmit, "Submit");
        drawSingle(mesh, world_);
        return;
    }
    groupDrawn_.add(mesh.serial, world_);
    groupMeshes_.push_back(&mesh);
    gatheredVertices_ += static_cast<size_t>(mesh.vertexCount());
    if (groupMode_ == GroupMode::Matching) {
        const MergedGroup::Sequence& source = group_->source();
        if (sourceCursor_ < source.size() && source.serial(sourceCursor_) == mesh.serial &&
            source.world(sourceCursor_) == world_) {
            ++sourceCursor_;
            return;
        }
        groupMode_ = GroupMode::Gathering;
    }
    if (groupMode_ == GroupMode::Gathering) {
        if (gatheredVertices_ <= mergeBudget_)
            return;
        // Too much to merge this frame: the group is drawn mesh by mesh.
        groupMode_ = GroupMode::Direct;
    }
    drawHeldBack();
}

void RendererGl::drawSingle(const Mesh& mesh, const Matrix44& world, bool mayGather) {
    // A small mesh waits for the next flush, under the view it was drawn in.
    if (mayGather && batching && !sceneFinished_ && !viewOverride_ && lighting_ && depthTest_ && culling_ &&
        StreamBatch::takes(mesh)) {
        const Matrix44 current = viewProjection();
        if (!stream_.empty() && (!stream_.fits(mesh) || !(current == streamViewProjection_)))
            flushStream();
        streamViewProjection_ = current;
        stream_.add(mesh, world);
        return;
    }
    upload(mesh);
    setWorldTransform(world);
    prepareDraw();
    useVertexDiffuse(false);
    setMaterial(mesh.material);
    setStageTexture(mesh.texture);
    useTextured(mesh.texture != 0);
    useSampler(mesh.showsImpostor ? pictureSampler_.id() : linearSampler_.id());
    const MeshArena::Range& r = mesh.range();
    bindVertexArray(meshArena_->vertexArray(r.chunk));
    glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(r.indexCount), GL_UNSIGNED_SHORT,
                             reinterpret_cast<void*>(meshArena_->indexOffset(r)), static_cast<GLint>(r.firstVertex));
    ++drawCalls;
}

void RendererGl::flushStream() {
    if (stream_.empty())
        return;
    ProfileScope timing(profile::kSubmit, "Submit");
    const Matrix44 current = world_;
    setWorldTransform(stream_.frame());
    useTransforms(streamViewProjection_);
    useVertexDiffuse(true);
    const std::vector<StreamBatch::Range>& ranges = stream_.upload();
    boundVertexArray_ = stream_.vertexArray();
    useSampler(linearSampler_.id());
    for (const StreamBatch::Range& r : ranges) {
        // The diffuse colour comes from the vertices: any value serves.
        useMaterial(r.ambient, r.ambient, r.emissive);
        setStageTexture(r.texture);
        useTextured(r.texture != 0);
        glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(r.indexCount), GL_UNSIGNED_INT,
                                 reinterpret_cast<void*>(static_cast<uintptr_t>(r.firstIndex) * sizeof(uint32_t)),
                                 r.baseVertex);
        ++drawCalls;
    }
    setWorldTransform(current);
}

void RendererGl::drawHeldBack(bool mayGather) {
    if (heldBackFrom_ == groupMeshes_.size())
        return;
    ProfileScope timing(profile::kSubmit, "Submit");
    const Matrix44 current = world_;
    for (size_t i = heldBackFrom_; i < groupMeshes_.size(); ++i)
        drawSingle(*groupMeshes_[i], groupDrawn_.world(i), mayGather);
    heldBackFrom_ = groupMeshes_.size();
    setWorldTransform(current);
}

void RendererGl::drawMerged(MergedGroup& group) {
    ProfileScope timing(profile::kSubmit, "Submit");
    mergedCopies_.drawn(group, frameCount_);
    const Matrix44 current = world_;
    setWorldTransform(group.world());
    prepareDraw();
    useVertexDiffuse(true);
    for (const MergedGroup::Batch& b : group.batches()) {
        // The diffuse colour comes from the vertices: any value serves.
        useMaterial(b.ambient, b.ambient, b.emissive);
        setStageTexture(b.texture);
        useTextured(b.texture != 0);
        useSampler(b.showsImpostor ? pictureSampler_.id() : linearSampler_.id());
        // Bound even when it seems to be: a group that went may have left
        // its name to this one.
        if (&b == &group.batches().front()) {
            boundVertexArray_ = group.vertexArray();
            glBindVertexArray(boundVertexArray_);
        }
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(b.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(static_cast<uintptr_t>(b.firstIndex) * sizeof(uint32_t)));
        ++drawCalls;
    }
    ++groupsDrawnMerged;
    setWorldTransform(current);
}

void RendererGl::beginGroup(std::unique_ptr<RenderGroup>& handle) {
    if (groupDepth_++ > 0 || !device_ || !batching)
        return;
    if (!handle)
        handle = std::make_unique<MergedGroup>();
    group_ = static_cast<MergedGroup*>(handle.get());
    groupMode_ = group_->merged() ? GroupMode::Matching : GroupMode::Gathering;
    sourceCursor_ = 0;
    gatheredVertices_ = 0;
    groupDrawn_.clear();
    groupMeshes_.clear();
    heldBackFrom_ = 0;
}

void RendererGl::endGroup() {
    if (groupDepth_ == 0 || --groupDepth_ > 0 || !group_)
        return;
    MergedGroup& group = *group_;
    group_ = nullptr;
    // The merged copy while the group draws exactly what it was made of. A
    // mesh left out may be culled, but it may as well stand for content
    // that went (an opening coarse, showing nothing): the copy would show it.
    if (groupMode_ == GroupMode::Matching) {
        // (A copy released while the group drew, its content gone, is none.)
        if (group.merged() && groupMeshes_.size() == group.source().size()) {
            drawMerged(group);
            return;
        }
        // Only part of the copy came (a child culled): merged anew as it is.
        groupMode_ = gatheredVertices_ <= mergeBudget_ ? GroupMode::Gathering : GroupMode::Direct;
    }
    // Merged anew: what it draws now is likely what it draws next frame.
    if (groupMode_ == GroupMode::Gathering && groupMeshes_.size() >= kMinMergedMeshes) {
        size_t merged = 0;
        {
            ProfileScope timing(profile::kRecord, "Record");
            merged = group.build(groupDrawn_, groupMeshes_);
        }
        boundVertexArray_ = group.vertexArray();
        mergeBudget_ -= std::min(mergeBudget_, merged);
        drawMerged(group);
        return;
    }
    // What a group leaves to draw one by one at its end (a group of one
    // mesh: a coarse building) is drawn at once. Gathered as well, it made
    // llvmpipe wait for its rasteriser about 300 times a frame on the
    // autopilot, though the work was the same.
    drawHeldBack(false);
}

// ---- instances ----

void RendererGl::makeInstanceArray() {
    instanceArray_ = GlVertexArray(genVertexArray());
    instanceShape_ = GlBuffer(genBuffer());
    instanceShapeIndices_ = GlBuffer(genBuffer());
    instanceRecords_ = GlBuffer(genBuffer());
    glBindVertexArray(instanceArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, instanceShape_.id());
    setVertexLayout();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, instanceShapeIndices_.id());
    glBindBuffer(GL_ARRAY_BUFFER, instanceRecords_.id());
    const GLsizei stride = kInstanceFloats * sizeof(float);
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glVertexAttribDivisor(3, 1);
    glEnableVertexAttribArray(4);
    glVertexAttribPointer(4, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(3 * sizeof(float)));
    glVertexAttribDivisor(4, 1);
    boundVertexArray_ = ~0u;
}

void RendererGl::extrudedInstances(const Poly& poly, const Extrusion& extrusion, Material* material,
                                   const std::vector<Instance>& instances) {
    if (!device_)
        return;
    if (group_ || isImpostorMapping(material)) {
        RenderContext::extrudedInstances(poly, extrusion, material, instances);
        return;
    }
    TessellatedMesh shape = prism(poly, extrusion, material);
    if (shape.vertices.empty())
        return;
    // Copies wholly outside the view are left out: the rasteriser would
    // shade their vertices for nothing.
    Vector low(shape.vertices[0].x, shape.vertices[0].y, shape.vertices[0].z), high = low;
    for (const Vertex& v : shape.vertices) {
        low = Vector(std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z));
        high = Vector(std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z));
    }
    const Matrix44 toView = drawnView() * world_;
    instanceData_.clear();
    for (const Instance& instance : instances) {
        if (!drawableInstance(instance))
            continue;
        const float h = instance.heightScale;
        const Vector centre = Vector((low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f * h,
                                     (low.z + high.z) * 0.5f) + instance.offset;
        const float radius = 0.5f * Vector(high.x - low.x, (high.y - low.y) * h, high.z - low.z).length();
        uint32_t mask = 63;
        const Vector inView = toView.transformPoint(centre);
        if (Desc::outsidePlane(*this, inView, radius, mask) >= 0)
            continue;
        // Nor those wholly behind what the scene drew as occluders.
        const float sphere[4] = {inView.x, inView.y, inView.z, radius};
        if (occlusionEnabled && occlusion().active && occlusion().hides(sphere, projection))
            continue;
        for (int i = 0; i < 3; ++i)
            instanceData_.push_back(shape.surface.diffuse[i] * instance.colour[i]);
        instanceData_.insert(instanceData_.end(),
                             {instance.offset.x, instance.offset.y, instance.offset.z, instance.heightScale});
    }
    const GLsizei count = static_cast<GLsizei>(instanceData_.size() / kInstanceFloats);
    if (count == 0)
        return;
    const GLuint texture = shape.textureName.empty() ? 0 : textures_.texture(shape.textureName.c_str());
    ProfileScope timing(profile::kSubmit, "Submit");
    bindVertexArray(instanceArray_.id());
    // Specified anew every time, so that no draw in flight is waited for.
    glBindBuffer(GL_ARRAY_BUFFER, instanceShape_.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(shape.vertices.size() * sizeof(Vertex)),
                 shape.vertices.data(), GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(shape.indices.size() * sizeof(uint16_t)),
                 shape.indices.data(), GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, instanceRecords_.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instanceData_.size() * sizeof(float)),
                 instanceData_.data(), GL_STREAM_DRAW);
    prepareDraw();
    useVertexDiffuse(true);
    useMaterial(shape.surface.ambient, shape.surface.ambient, shape.surface.emissive);
    setStageTexture(texture);
    useTextured(texture != 0);
    useSampler(linearSampler_.id());
    glDrawElementsInstanced(GL_TRIANGLES, static_cast<GLsizei>(shape.indices.size()), GL_UNSIGNED_SHORT, nullptr,
                            count);
    ++drawCalls;
    meshesDrawn += count;
    trianglesDrawn += count * static_cast<int32_t>(shape.indices.size() / 3);
}
