#include "renderer/MergedGroup.h"

#include <cstddef>
#include <map>
#include <tuple>

#include <meshoptimizer.h>

#include "renderer/MergedCopies.h"
#include "renderer/Mesh.h"

static_assert(offsetof(MergedVertex, normal) == offsetof(PackedVertex, normal) &&
                  offsetof(MergedVertex, u) == offsetof(PackedVertex, u) &&
                  offsetof(MergedVertex, v) == offsetof(PackedVertex, v),
              "a merged vertex begins with a packed vertex's fields");

void setMergedVertexLayout() {
    setPackedAttributes(sizeof(MergedVertex));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 3, GL_HALF_FLOAT, GL_FALSE, sizeof(MergedVertex),
                          reinterpret_cast<void*>(offsetof(MergedVertex, r)));
}

void appendMerged(const Mesh& mesh, const Matrix44& world, const Matrix44& frame, const Matrix44& toFrame,
                  std::vector<MergedVertex>& vertices, std::vector<uint32_t>& indices) {
    const MeshMaterial& m = mesh.material;
    const uint16_t r = meshopt_quantizeHalf(m.diffuse[0]), g = meshopt_quantizeHalf(m.diffuse[1]),
                   b = meshopt_quantizeHalf(m.diffuse[2]);
    const uint32_t base = static_cast<uint32_t>(vertices.size());
    if (world == frame) {
        for (const PackedVertex& v : mesh.vertices())
            vertices.push_back({v.x, v.y, v.z, v.normal, v.u, v.v, r, g, b, 0});
    } else {
        const Matrix44 placement = toFrame * world;
        // The corners of a face share its normal: each one turned once.
        uint32_t normal = ~0u, moved = 0;  // ~0u: no packed normal
        for (const PackedVertex& v : mesh.vertices()) {
            const Vector p = placement.transformPoint({v.x, v.y, v.z});
            if (v.normal != normal) {
                normal = v.normal;
                const Vector n = placement.transformDirection(unpackNormal(v.normal));
                moved = packNormal(n.x, n.y, n.z);
            }
            vertices.push_back({p.x, p.y, p.z, moved, v.u, v.v, r, g, b, 0});
        }
    }
    for (uint16_t index : mesh.indices())
        indices.push_back(base + index);
}

void bindMergedArray(GlVertexArray& vertexArray, GlBuffer& vertexBuffer, GlBuffer& indexBuffer) {
    if (!vertexArray) {
        vertexArray = GlVertexArray(genVertexArray());
        vertexBuffer = GlBuffer(genBuffer());
        indexBuffer = GlBuffer(genBuffer());
        glBindVertexArray(vertexArray.id());
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.id());
        setMergedVertexLayout();
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.id());
        return;
    }
    glBindVertexArray(vertexArray.id());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.id());
}

// ---- Sequence ----

void MergedGroup::Sequence::clear() {
    serials_.clear();
    matrixOf_.clear();
    worlds_.clear();
}

void MergedGroup::Sequence::add(uint64_t serial, const Matrix44& world) {
    if (worlds_.empty() || !(worlds_.back() == world))
        worlds_.push_back(world);
    serials_.push_back(serial);
    matrixOf_.push_back(static_cast<uint32_t>(worlds_.size() - 1));
}

bool MergedGroup::Sequence::operator==(const Sequence& o) const {
    return serials_ == o.serials_ && matrixOf_ == o.matrixOf_ && worlds_ == o.worlds_;
}

// ---- MergedGroup ----

MergedGroup::~MergedGroup() {
    if (copies_)
        copies_->remove(*this);
}

void MergedGroup::release() {
    if (copies_)
        copies_->remove(*this);
    batches_.clear();
    source_.clear();
    bytes_ = 0;
    if (vertexBuffer_) {
        // The array buffer binding is no vertex array's state.
        for (const GlBuffer* b : {&vertexBuffer_, &indexBuffer_}) {
            glBindBuffer(GL_ARRAY_BUFFER, b->id());
            glBufferData(GL_ARRAY_BUFFER, 0, nullptr, GL_STATIC_DRAW);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
}

size_t MergedGroup::build(const Sequence& drawn, const std::vector<const Mesh*>& meshes) {
    // Listed again, with its new size, when it is drawn.
    if (copies_)
        copies_->remove(*this);
    batches_.clear();
    struct Gathered {
        Batch batch;
        std::vector<const Mesh*> meshes;
        std::vector<const Matrix44*> worlds;
    };
    // In the order each surface first comes: coplanar faces of two surfaces
    // (a kerb on its pavement) then cover each other as they did drawn one
    // by one. The copy's draws need as many texture changes in any order.
    using Key = std::tuple<GLuint, bool, float, float, float, float, float, float>;
    std::map<Key, size_t> batchOf;
    std::vector<Gathered> gathered;
    for (size_t i = 0; i < meshes.size(); ++i) {
        const Mesh& mesh = *meshes[i];
        if (mesh.indices().empty())
            continue;
        const MeshMaterial& m = mesh.material;
        const Key key{mesh.texture, mesh.showsImpostor, m.ambient[0], m.ambient[1], m.ambient[2],
                      m.emissive[0], m.emissive[1], m.emissive[2]};
        const auto [found, added] = batchOf.emplace(key, gathered.size());
        if (added)
            gathered.emplace_back();
        Gathered& g = gathered[found->second];
        if (added) {
            g.batch.texture = mesh.texture;
            g.batch.showsImpostor = mesh.showsImpostor;
            for (int c = 0; c < 3; ++c) {
                g.batch.ambient[c] = m.ambient[c];
                g.batch.emissive[c] = m.emissive[c];
            }
        }
        g.meshes.push_back(&mesh);
        g.worlds.push_back(&drawn.world(i));
    }
    // The group's frame is that of its first mesh; others are placed in it.
    world_ = meshes.empty() ? Matrix44::identity() : drawn.world(0);
    const Matrix44 toGroup = world_.inverse();
    // One vertex buffer and one index buffer, each batch a range of both.
    size_t vertexCount = 0, indexCount = 0;
    for (const Mesh* mesh : meshes) {
        vertexCount += mesh->vertices().size();
        indexCount += mesh->indices().size();
    }
    std::vector<MergedVertex> vertices;
    std::vector<uint32_t> indices;
    vertices.reserve(vertexCount);
    indices.reserve(indexCount);
    for (Gathered& g : gathered) {
        g.batch.firstIndex = static_cast<uint32_t>(indices.size());
        for (size_t k = 0; k < g.meshes.size(); ++k)
            appendMerged(*g.meshes[k], *g.worlds[k], world_, toGroup, vertices, indices);
        g.batch.indexCount = static_cast<uint32_t>(indices.size()) - g.batch.firstIndex;
        batches_.push_back(g.batch);
    }
    // New storage each time: the old one may still be read by this frame's draws.
    bindMergedArray(vertexArray_, vertexBuffer_, indexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MergedVertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)), indices.data(),
                 GL_STATIC_DRAW);
    source_ = drawn;
    bytes_ = vertices.size() * sizeof(MergedVertex) + indices.size() * sizeof(uint32_t);
    return vertices.size();
}
