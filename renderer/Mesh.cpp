#include "renderer/Mesh.h"

#include <cstddef>

#include "core/Assert.h"
#include "core/Profiler.h"
#include "core/lod/OcclusionBuffer.h"
#include "renderer/RendererGl.h"

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<uint16_t> indices)
    : serial(++madeCount_), vertices_(std::move(vertices)), indices_(std::move(indices)) {
    CALLI_ASSERT(vertices_.size() <= 65535);
    CALLI_ASSERT(indices_.size() % 3 == 0);
    // Kept for the mesh's life: what the tessellator's growth left over goes.
    vertices_.shrink_to_fit();
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
        occlusion.addOccluder(&vertices_[0].x, sizeof(Vertex), vertexCount(), indices_.data(), triangleCount(),
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
