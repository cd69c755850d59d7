// The shared mesh buffers on a real (software) GL context: ranges read back
// as uploaded; a chunk whose meshes all went holds no memory, and takes it
// again, whole, for the next mesh.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "renderer/Mesh.h"
#include "renderer/MeshArena.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

// Bytes of the vertex buffer behind the chunk's vertex array, and its content.
GLint vertexBytes(const MeshArena& arena, int chunk, std::vector<Vertex>* content = nullptr) {
    glBindVertexArray(arena.vertexArray(chunk));
    GLint buffer = 0, bytes = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    if (content) {
        content->resize(static_cast<size_t>(bytes) / sizeof(Vertex));
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, bytes, content->data());
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return bytes;
}

std::vector<Vertex> triangle(float tag) {
    std::vector<Vertex> v(3);
    for (int i = 0; i < 3; ++i)
        v[i].x = tag + static_cast<float>(i);
    return v;
}

}  // namespace

TEST_F(GlTest, ArenaChunkLeftEmptyGivesItsMemoryBackAndTakesItAgain) {
    constexpr uint32_t kChunkVertices = 6;  // two triangles a chunk
    auto arena = std::make_shared<MeshArena>(static_cast<uint32_t>(sizeof(Vertex)), 2, setVertexLayout,
                                             kChunkVertices, 6);
    const std::vector<uint16_t> indices = {0, 1, 2};
    std::vector<MeshArena::Range> ranges;
    for (int i = 0; i < 4; ++i) {
        const std::vector<Vertex> v = triangle(10.0f * static_cast<float>(i));
        ranges.push_back(arena->allocate(v.data(), 3, indices.data(), 3));
    }
    ASSERT_EQ(arena->chunkCount(), 2);
    const GLint full = static_cast<GLint>(kChunkVertices * sizeof(Vertex));
    EXPECT_EQ(vertexBytes(*arena, 0), full);
    EXPECT_EQ(vertexBytes(*arena, 1), full);

    // One of chunk 0's triangles goes: it keeps its memory; then the other.
    ASSERT_EQ(ranges[0].chunk, 0);
    ASSERT_EQ(ranges[1].chunk, 0);
    arena->release(ranges[0]);
    EXPECT_EQ(vertexBytes(*arena, 0), full);
    arena->release(ranges[1]);
    EXPECT_EQ(vertexBytes(*arena, 0), 0);
    std::vector<Vertex> kept;
    EXPECT_EQ(vertexBytes(*arena, 1, &kept), full) << "the other chunk keeps its meshes";
    EXPECT_EQ(kept[ranges[2].firstVertex].x, 20.0f);
    EXPECT_EQ(kept[ranges[3].firstVertex].x, 30.0f);

    // Chunk 1 is full: the next triangle goes into chunk 0, stored again.
    const std::vector<Vertex> v = triangle(50);
    const MeshArena::Range again = arena->allocate(v.data(), 3, indices.data(), 3);
    EXPECT_EQ(again.chunk, 0);
    EXPECT_EQ(arena->chunkCount(), 2);
    std::vector<Vertex> content;
    EXPECT_EQ(vertexBytes(*arena, 0, &content), full);
    EXPECT_EQ(content[again.firstVertex].x, 50.0f);
    EXPECT_EQ(content[again.firstVertex + 2].x, 52.0f);
}
