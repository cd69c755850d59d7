#include "renderer/StreamBatch.h"

#include <algorithm>

#include "renderer/Mesh.h"

bool StreamBatch::takes(const Mesh& mesh) {
    return !mesh.showsImpostor && mesh.vertexCount() <= kMaxMeshVertices && !mesh.indices().empty();
}

bool StreamBatch::fits(const Mesh& mesh) const {
    return vertexCount_ + static_cast<size_t>(mesh.vertexCount()) <= kMaxVertices;
}

void StreamBatch::add(const Mesh& mesh, const Matrix44& world) {
    if (vertexCount_ == 0) {
        frame_ = world;
        toFrame_ = world.inverse();
    }
    const MeshMaterial& m = mesh.material;
    const Key key{mesh.texture, m.ambient[0], m.ambient[1], m.ambient[2], m.emissive[0], m.emissive[1], m.emissive[2]};
    const auto [found, added] = bucketOf_.emplace(key, bucketCount_);
    if (added) {
        if (bucketCount_ == buckets_.size())
            buckets_.emplace_back();
        Range& r = buckets_[bucketCount_++].range;
        r.texture = mesh.texture;
        for (int c = 0; c < 3; ++c) {
            r.ambient[c] = m.ambient[c];
            r.emissive[c] = m.emissive[c];
        }
    }
    Bucket& b = buckets_[found->second];
    appendMerged(mesh, world, frame_, toFrame_, b.vertices, b.indices);
    vertexCount_ += static_cast<size_t>(mesh.vertexCount());
}

const std::vector<StreamBatch::Range>& StreamBatch::upload() {
    // Each flush writes past the last one, and the storage is specified
    // anew only when the buffers are full: the driver neither allocates for
    // every flush nor overwrites what a draw in flight reads. Each bucket
    // goes as it is, its indices counted from its own first vertex.
    bindMergedArray(vertexArray_, vertexBuffer_, indexBuffer_);
    size_t indexCount = 0;
    for (size_t i = 0; i < bucketCount_; ++i)
        indexCount += buckets_[i].indices.size();
    if (vertexUsed_ + vertexCount_ > vertexCapacity_ || indexUsed_ + indexCount > indexCapacity_) {
        vertexCapacity_ = std::max(kBufferedFlushes * kMaxVertices, vertexCount_);
        indexCapacity_ = std::max(kBufferedFlushes * kMaxVertices * 2, indexCount);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCapacity_ * sizeof(MergedVertex)), nullptr,
                     GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCapacity_ * sizeof(uint32_t)), nullptr,
                     GL_STREAM_DRAW);
        vertexUsed_ = indexUsed_ = 0;
    }
    ranges_.clear();
    for (size_t i = 0; i < bucketCount_; ++i) {
        Bucket& b = buckets_[i];
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(vertexUsed_ * sizeof(MergedVertex)),
                        static_cast<GLsizeiptr>(b.vertices.size() * sizeof(MergedVertex)), b.vertices.data());
        glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(indexUsed_ * sizeof(uint32_t)),
                        static_cast<GLsizeiptr>(b.indices.size() * sizeof(uint32_t)), b.indices.data());
        b.range.baseVertex = static_cast<GLint>(vertexUsed_);
        b.range.firstIndex = static_cast<uint32_t>(indexUsed_);
        b.range.indexCount = static_cast<uint32_t>(b.indices.size());
        ranges_.push_back(b.range);
        vertexUsed_ += b.vertices.size();
        indexUsed_ += b.indices.size();
        b.vertices.clear();
        b.indices.clear();
    }
    bucketOf_.clear();
    bucketCount_ = 0;
    vertexCount_ = 0;
    return ranges_;
}
