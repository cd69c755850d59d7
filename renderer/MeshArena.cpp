#include "renderer/MeshArena.h"

#include <algorithm>

#include "core/Assert.h"

MeshArena::MeshArena(uint32_t vertexBytes, uint32_t indexBytes, void (*layout)(), uint32_t chunkVertices,
                     uint32_t chunkIndices)
    : vertexBytes_(vertexBytes), indexBytes_(indexBytes), layout_(layout), chunkVertices_(chunkVertices),
      chunkIndices_(chunkIndices) {
    CALLI_ASSERT(indexBytes_ == 2 || indexBytes_ == 4);
}

int MeshArena::addChunk(uint32_t vertexCount, uint32_t indexCount) {
    Chunk chunk{GlVertexArray(genVertexArray()), GlBuffer(genBuffer()), GlBuffer(genBuffer()),
                RangeAllocator(std::max(vertexCount, chunkVertices_)),
                RangeAllocator(std::max(indexCount, chunkIndices_))};
    glBindVertexArray(chunk.vertexArray.id());
    glBindBuffer(GL_ARRAY_BUFFER, chunk.vertexBuffer.id());
    layout_();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, chunk.indexBuffer.id());
    glBindVertexArray(0);
    chunks_.push_back(std::move(chunk));
    const int i = static_cast<int>(chunks_.size()) - 1;
    setStorage(chunks_[i], true);
    return i;
}

void MeshArena::setStorage(Chunk& chunk, bool held) {
    // Through the array buffer binding, as the uploads go.
    const std::pair<const GlBuffer*, GLsizeiptr> buffers[2] = {
        {&chunk.vertexBuffer, held ? static_cast<GLsizeiptr>(chunk.vertices.capacity()) * vertexBytes_ : 0},
        {&chunk.indexBuffer, held ? static_cast<GLsizeiptr>(chunk.indices.capacity()) * indexBytes_ : 0}};
    for (const auto& [buffer, bytes] : buffers) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer->id());
        glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    chunk.stored = held;
}

MeshArena::Range MeshArena::allocate(const void* vertices, uint32_t vertexCount, const void* indices,
                                     uint32_t indexCount) {
    CALLI_ASSERT(vertexCount > 0 && indexCount > 0);
    Range range;
    range.vertexCount = vertexCount;
    range.indexCount = indexCount;
    // The newest chunk first: the older ones fill their holes as meshes go.
    for (int i = static_cast<int>(chunks_.size()) - 1; i >= 0 && !range; --i) {
        Chunk& chunk = chunks_[i];
        const std::optional<uint32_t> v = chunk.vertices.allocate(vertexCount);
        if (!v)
            continue;
        const std::optional<uint32_t> e = chunk.indices.allocate(indexCount);
        if (!e) {
            chunk.vertices.release(*v, vertexCount);
            continue;
        }
        range.chunk = i;
        range.firstVertex = *v;
        range.firstIndex = *e;
    }
    if (!range) {
        range.chunk = addChunk(vertexCount, indexCount);
        range.firstVertex = *chunks_[range.chunk].vertices.allocate(vertexCount);
        range.firstIndex = *chunks_[range.chunk].indices.allocate(indexCount);
    }
    Chunk& chunk = chunks_[range.chunk];
    if (!chunk.stored)
        setStorage(chunk, true);
    // Uploads go through the array buffer binding: the bound vertex array's
    // index buffer must stay as it is.
    glBindBuffer(GL_ARRAY_BUFFER, chunk.vertexBuffer.id());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(range.firstVertex) * vertexBytes_,
                    static_cast<GLsizeiptr>(vertexCount) * vertexBytes_, vertices);
    glBindBuffer(GL_ARRAY_BUFFER, chunk.indexBuffer.id());
    glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(range.firstIndex) * indexBytes_,
                    static_cast<GLsizeiptr>(indexCount) * indexBytes_, indices);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return range;
}

void MeshArena::release(const Range& range) {
    if (!range)
        return;
    CALLI_ASSERT(range.chunk < chunkCount());
    Chunk& chunk = chunks_[range.chunk];
    chunk.vertices.release(range.firstVertex, range.vertexCount);
    chunk.indices.release(range.firstIndex, range.indexCount);
    // An empty chunk gives its memory back until a mesh comes again.
    if (chunk.vertices.used() == 0)
        setStorage(chunk, false);
}
