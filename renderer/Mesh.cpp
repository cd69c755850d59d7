#include "renderer/Mesh.h"

#include <cstddef>

#include "core/Assert.h"
#include "core/lod/OcclusionBuffer.h"
#include "renderer/RendererGl.h"

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<uint16_t> indices)
    : vertices_(std::move(vertices)), indices_(std::move(indices)) {
    CALLI_ASSERT(vertices_.size() <= 65535);
    CALLI_ASSERT(indices_.size() % 3 == 0);
}

void Mesh::add(std::unique_ptr<RenderList>) {
    // Reported under the renderer's name: meshes are the renderer's records.
    calli::assertFailed("renderer/RendererGl", __LINE__, "add on a single mesh");
}

void Mesh::draw(RenderContext& ctx) {
    if (auto* renderer = dynamic_cast<RendererGl*>(&ctx))
        renderer->drawMesh(*this);
    OcclusionBuffer& occlusion = ctx.occlusion();
    if (occlusion.active && ctx.occlusionEnabled && !vertices_.empty())
        occlusion.addOccluder(&vertices_[0].x, sizeof(Vertex), vertexCount(), indices_.data(), triangleCount(),
                              ctx.projection, ctx.modelView);
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

void Mesh::upload() {
    if (uploaded())
        return;
    vertexArray_ = GlVertexArray(genVertexArray());
    vertexBuffer_ = GlBuffer(genBuffer());
    indexBuffer_ = GlBuffer(genBuffer());
    glBindVertexArray(vertexArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.id());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices_.size() * sizeof(Vertex)), vertices_.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_.id());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices_.size() * sizeof(uint16_t)),
                 indices_.data(), GL_STATIC_DRAW);
    setVertexLayout();
    glBindVertexArray(0);
}

void Mesh::drawElements() const {
    if (indices_.empty())
        return;
    glBindVertexArray(vertexArray_.id());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices_.size()), GL_UNSIGNED_SHORT, nullptr);
    glBindVertexArray(0);
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
