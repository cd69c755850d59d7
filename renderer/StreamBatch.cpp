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
    if (world == frame_) {
        appendMerged(mesh, nullptr, b.vertices, b.indices);
    } else {
        const Matrix44 placement = toFrame_ * world;
        appendMerged(mesh, &placement, b.vertices, b.indices);
    }
    vertexCount_ += static_cast<size_t>(mesh.vertexCount());
}

const std::vector<StreamBatch::Range>& StreamBatch::upload() {
    ranges_.clear();
    vertices_.clear();
    indices_.clear();
    for (size_t i = 0; i < bucketCount_; ++i) {
        Bucket& b = buckets_[i];
        const uint32_t base = static_cast<uint32_t>(vertices_.size());
        b.range.firstIndex = static_cast<uint32_t>(indices_.size());
        b.range.indexCount = static_cast<uint32_t>(b.indices.size());
        vertices_.insert(vertices_.end(), b.vertices.begin(), b.vertices.end());
        for (uint32_t index : b.indices)
            indices_.push_back(base + index);
        ranges_.push_back(b.range);
        b.vertices.clear();
        b.indices.clear();
    }
    bucketOf_.clear();
    bucketCount_ = 0;
    vertexCount_ = 0;
    // Each flush writes past the last one, and the storage is specified
    // anew only when the buffers are full: the driver neither allocates for
    // every flush nor overwrites what a draw in flight reads.
    bindMergedArray(vertexArray_, vertexBuffer_, indexBuffer_);
    if (vertexUsed_ + vertices_.size() > vertexCapacity_ || indexUsed_ + indices_.size() > indexCapacity_) {
        vertexCapacity_ = std::max(kBufferedFlushes * kMaxVertices, vertices_.size());
        indexCapacity_ = std::max(kBufferedFlushes * kMaxVertices * 2, indices_.size());
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCapacity_ * sizeof(MergedVertex)), nullptr,
                     GL_STREAM_DRAW);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCapacity_ * sizeof(uint32_t)), nullptr,
                     GL_STREAM_DRAW);
        vertexUsed_ = indexUsed_ = 0;
    }
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(vertexUsed_ * sizeof(MergedVertex)),
                    static_cast<GLsizeiptr>(vertices_.size() * sizeof(MergedVertex)), vertices_.data());
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(indexUsed_ * sizeof(uint32_t)),
                    static_cast<GLsizeiptr>(indices_.size() * sizeof(uint32_t)), indices_.data());
    baseVertex_ = static_cast<GLint>(vertexUsed_);
    for (Range& r : ranges_)
        r.firstIndex += static_cast<uint32_t>(indexUsed_);
    vertexUsed_ += vertices_.size();
    indexUsed_ += indices_.size();
    return ranges_;
}
