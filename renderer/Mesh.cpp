#include "renderer/Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/Assert.h"
#include "core/Profiler.h"
#include "core/lod/OcclusionBuffer.h"
#include "renderer/RendererGl.h"

uint32_t packNormal(float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0) || !std::isfinite(length))
        return 0;
    const float scale = 511.0f / length;
    // Rounded half away from zero by truncation: no library call per component.
    auto part = [scale](float c) {
        const float q = std::clamp(c * scale, -511.0f, 511.0f);
        return static_cast<uint32_t>(static_cast<int>(q + (q < 0 ? -0.5f : 0.5f))) & 0x3ffu;
    };
    return part(x) | part(y) << 10 | part(z) << 20;
}

Vector unpackNormal(uint32_t packed) {
    auto part = [packed](int shift) {
        int c = static_cast<int>((packed >> shift) & 0x3ffu);
        if (c >= 512)
            c -= 1024;
        return std::max(static_cast<float>(c) / 511.0f, -1.0f);
    };
    return {part(0), part(10), part(20)};
}

Mesh::Mesh(const std::vector<Vertex>& vertices, std::vector<uint16_t> indices)
    : serial(++madeCount_), indices_(std::move(indices)) {
    CALLI_ASSERT(vertices.size() <= 65535);
    CALLI_ASSERT(indices_.size() % 3 == 0);
    vertices_.reserve(vertices.size());
    for (const Vertex& v : vertices)
        vertices_.push_back({v.x, v.y, v.z, packNormal(v.nx, v.ny, v.nz), v.u, v.v});
    // Kept for the mesh's life: what the tessellator's growth left over goes.
    indices_.shrink_to_fit();
}

Mesh::~Mesh() {
    if (auto arena = arena_.lock()) {
        if (arena->beforeRelease)
            arena->beforeRelease();
        arena->release(range_);
    }
}

void Mesh::add(std::unique_ptr<RenderList>) {
    // Reported under the renderer's name: meshes are the renderer's records.
    calli::assertFailed("renderer/RendererGl", __LINE__, "add on a single mesh");
}

void Mesh::draw(RenderContext& ctx) {
    if (auto* renderer = dynamic_cast<RendererGl*>(&ctx))
        renderer->drawMesh(*this);
    OcclusionBuffer& occlusion = ctx.occlusion();
    if (occlusion.active && ctx.occlusionEnabled && !vertices_.empty()) {
        ProfileScope timing(profile::kOccluders, "Occluders");
        occlusion.addOccluder(&vertices_[0].x, sizeof(PackedVertex), vertexCount(), indices_.data(), triangleCount(),
                              ctx.projection, ctx.modelView);
    }
    ctx.trianglesDrawn += triangleCount();
}

void setVertexLayout() {
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, nx)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, u)));
}

void setPackedVertexLayout() { setPackedAttributes(sizeof(PackedVertex)); }

void setPackedAttributes(GLsizei stride) {
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(PackedVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_INT_2_10_10_10_REV, GL_TRUE, stride,
                          reinterpret_cast<void*>(offsetof(PackedVertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(PackedVertex, u)));
}

void Mesh::upload(const std::shared_ptr<MeshArena>& arena) const {
    if (uploaded() || vertices_.empty() || indices_.empty())
        return;
    range_ = arena->allocate(vertices_.data(), static_cast<uint32_t>(vertices_.size()), indices_.data(),
                             static_cast<uint32_t>(indices_.size()));
    arena_ = arena;
}

void MeshGroup::add(std::unique_ptr<RenderList> list) { entries_.push_back(std::move(list)); }

void MeshGroup::draw(RenderContext& ctx) {
    for (auto& entry : entries_)
        entry->draw(ctx);
}

void collect(std::unique_ptr<RenderList>& collected, std::unique_ptr<RenderList> mesh) {
    if (!collected) {
        collected = std::move(mesh);
        return;
    }
    if (collected->count() == 1) {
        auto group = std::make_unique<MeshGroup>();
        group->add(std::move(collected));
        collected = std::move(group);
    }
    collected->add(std::move(mesh));
}
