#pragma once
// Shared GL buffers for many small meshes: a few large chunks, each one
// vertex buffer, one index buffer and the vertex array over both. A mesh
// takes a range of each and is drawn with a base vertex; giving the range
// back costs no GL object, and a chunk left empty gives its memory back until
// a mesh comes again. Needs a current GL context; the arena's buffers go with
// it.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "renderer/GlObject.h"
#include "renderer/RangeAllocator.h"

class MeshArena {
public:
    // Where a mesh lies: chunk < 0 is no range.
    struct Range {
        int chunk = -1;
        uint32_t firstVertex = 0, vertexCount = 0;
        uint32_t firstIndex = 0, indexCount = 0;
        explicit operator bool() const { return chunk >= 0; }
    };

    // vertexBytes: size of one vertex record; indexBytes: 2 or 4; layout
    // points the attributes of the bound vertex array at the bound buffer.
    // A chunk holds chunkVertices vertices and chunkIndices indices, or one
    // mesh that needs more.
    MeshArena(uint32_t vertexBytes, uint32_t indexBytes, void (*layout)(), uint32_t chunkVertices,
              uint32_t chunkIndices);

    // Copies the mesh into a free range; vertexCount and indexCount > 0.
    Range allocate(const void* vertices, uint32_t vertexCount, const void* indices, uint32_t indexCount);
    void release(const Range& range);
    // Called as a mesh of the arena goes, before its range is given back
    // (may be empty): the renderer draws what it held back of it.
    std::function<void()> beforeRelease;

    GLuint vertexArray(int chunk) const { return chunks_[chunk].vertexArray.id(); }
    // The byte offset of the range's first index in its index buffer.
    uintptr_t indexOffset(const Range& range) const {
        return static_cast<uintptr_t>(range.firstIndex) * indexBytes_;
    }

    int chunkCount() const { return static_cast<int>(chunks_.size()); }

private:
    struct Chunk {
        GlVertexArray vertexArray;
        GlBuffer vertexBuffer;
        GlBuffer indexBuffer;
        RangeAllocator vertices;
        RangeAllocator indices;
        bool stored = false;  // the buffers have their storage
    };
    int addChunk(uint32_t vertexCount, uint32_t indexCount);
    // Gives the chunk's buffers their full size (held) or none.
    void setStorage(Chunk& chunk, bool held);

    uint32_t vertexBytes_, indexBytes_;
    void (*layout_)();
    uint32_t chunkVertices_, chunkIndices_;
    std::vector<Chunk> chunks_;
};
