#pragma once
// Small meshes drawn on their own (those of a group drawn mesh by mesh while
// the frame's merging is spent, those outside any group), gathered over part
// of a frame and drawn together: one range per texture and surface, in the
// order each surface first came, from buffers that successive flushes fill
// in turn. Their vertices are copied, so a mesh may go once it is added; they
// are kept in the frame of the first mesh, each mesh's diffuse colour in its
// vertices, as in a merged group.
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

#include "core/Vector.h"
#include "renderer/GlObject.h"
#include "renderer/MergedGroup.h"

class StreamBatch {
public:
    // Meshes of more vertices are drawn on their own; a flush holds at most
    // kMaxVertices (256 KB), so that the rasteriser starts early in the frame.
    static constexpr int kMaxMeshVertices = 256;
    static constexpr size_t kMaxVertices = 8192;
    // Flushes the buffers hold before their storage is specified anew.
    static constexpr size_t kBufferedFlushes = 16;

    struct Range {
        GLuint texture = 0;  // not owned; 0 untextured
        float ambient[3] = {0, 0, 0};
        float emissive[3] = {0, 0, 0};
        uint32_t firstIndex = 0, indexCount = 0;
        GLint baseVertex = 0;  // the indices count from it
    };

    static bool takes(const Mesh& mesh);
    bool empty() const { return vertexCount_ == 0; }
    // Whether mesh joins what is gathered without passing kMaxVertices.
    bool fits(const Mesh& mesh) const;
    // Copies mesh as drawn with world.
    void add(const Mesh& mesh, const Matrix44& world);
    // The frame the vertices are kept in.
    const Matrix44& frame() const { return frame_; }
    // Writes what is gathered into the buffers and binds the batch's vertex
    // array (needs a current GL context); the ranges to draw, valid until
    // the next add. What was gathered is forgotten.
    const std::vector<Range>& upload();
    GLuint vertexArray() const { return vertexArray_.id(); }

private:
    struct Bucket {
        Range range;
        std::vector<MergedVertex> vertices;
        std::vector<uint32_t> indices;
    };
    using Key = std::tuple<GLuint, float, float, float, float, float, float>;
    std::map<Key, size_t> bucketOf_;
    std::vector<Bucket> buckets_;  // the first bucketCount_ in use; the rest keep their capacity
    size_t bucketCount_ = 0;
    size_t vertexCount_ = 0;
    Matrix44 frame_, toFrame_;
    std::vector<Range> ranges_;
    GlVertexArray vertexArray_;
    GlBuffer vertexBuffer_, indexBuffer_;
    size_t vertexCapacity_ = 0, indexCapacity_ = 0;  // of the buffers' storage
    size_t vertexUsed_ = 0, indexUsed_ = 0;          // written since it was specified
};
