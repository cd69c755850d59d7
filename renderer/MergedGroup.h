#pragma once
// A subtree's meshes merged for drawing, in buffers of its own (made anew
// when it is merged again, so that no draw in flight is waited for): one
// range per texture and surface, in the frame of its first mesh, with the
// placement of meshes drawn in other frames baked in, and each mesh's
// diffuse colour (the brightness jitter included) in
// every vertex. It remembers which meshes it was made of, in drawing order,
// so that the renderer draws it only while the subtree draws those meshes.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/RenderContext.h"
#include "core/Vector.h"
#include "renderer/GlObject.h"

class MergedCopies;
class Mesh;

// The vertex of a merged range: a mesh vertex in the group's frame and the
// mesh's diffuse colour in half floats (the brightness jitter may take it
// past 1); 32 bytes.
struct MergedVertex {
    float x = 0, y = 0, z = 0;
    uint32_t normal = 0;  // as PackedVertex's
    float u = 0, v = 0;
    uint16_t r = 0, g = 0, b = 0, unused = 0;  // (unused: to four bytes)
};
static_assert(sizeof(MergedVertex) == 32, "merged ranges upload vertices as 32-byte records");

// The attributes of the mesh vertex and attribute 3, the diffuse colour.
void setMergedVertexLayout();

// Appends mesh's vertices, drawn with world, in the frame (toFrame its
// inverse), with its diffuse colour; as they are where world is the frame,
// so that coplanar faces meet in depth exactly as they do drawn one by one.
// Its indices are moved past what vertices held.
void appendMerged(const Mesh& mesh, const Matrix44& world, const Matrix44& frame, const Matrix44& toFrame,
                  std::vector<MergedVertex>& vertices, std::vector<uint32_t>& indices);

// Makes vertexArray with its two buffers the first time, its attributes
// those of merged vertices, and binds it and vertexBuffer. Needs a current GL context.
void bindMergedArray(GlVertexArray& vertexArray, GlBuffer& vertexBuffer, GlBuffer& indexBuffer);

class MergedGroup : public RenderGroup {
public:
    MergedGroup() = default;
    MergedGroup(const MergedGroup&) = delete;
    MergedGroup& operator=(const MergedGroup&) = delete;
    ~MergedGroup() override;

    // What a subtree drew in one frame: each mesh's serial and the world
    // transform it was drawn with, in order.
    class Sequence {
    public:
        void clear();
        void add(uint64_t serial, const Matrix44& world);
        size_t size() const { return serials_.size(); }
        uint64_t serial(size_t i) const { return serials_[i]; }
        const Matrix44& world(size_t i) const { return worlds_[matrixOf_[i]]; }
        bool operator==(const Sequence& o) const;

    private:
        std::vector<uint64_t> serials_;
        std::vector<uint32_t> matrixOf_;  // into worlds_, per mesh
        std::vector<Matrix44> worlds_;    // each transform once per run of meshes that share it
    };

    // The meshes of one texture and surface.
    struct Batch {
        GLuint texture = 0;          // not owned; 0 untextured
        bool showsImpostor = false;  // an impostor's picture: drawn with the picture sampler
        float ambient[3] = {0, 0, 0};
        float emissive[3] = {0, 0, 0};
        uint32_t firstIndex = 0, indexCount = 0;
    };

    // Forgets the copy and gives its memory back; the buffers stay for the
    // next. Needs a current GL context.
    void release() override;

    bool merged() const { return !batches_.empty(); }
    const Sequence& source() const { return source_; }
    const std::vector<Batch>& batches() const { return batches_; }
    // Replaces the batches by meshes[i] drawn with drawn.world(i), one per
    // texture and surface; returns the vertices merged. Needs a current GL context and
    // leaves the group's vertex array bound.
    size_t build(const Sequence& drawn, const std::vector<const Mesh*>& meshes);
    GLuint vertexArray() const { return vertexArray_.id(); }
    // The world transform the copy is drawn with.
    const Matrix44& world() const { return world_; }
    // The copy's size on the device.
    size_t bytes() const { return bytes_; }

private:
    friend class MergedCopies;
    Sequence source_;
    std::vector<Batch> batches_;
    GlVertexArray vertexArray_;
    GlBuffer vertexBuffer_;
    GlBuffer indexBuffer_;
    Matrix44 world_;
    size_t bytes_ = 0;
    // The list of copies it is on (not owned; null: none), its neighbours
    // there (not owned) and the frame it was last drawn in.
    MergedCopies* copies_ = nullptr;
    MergedGroup* previous_ = nullptr;
    MergedGroup* next_ = nullptr;
    long lastDrawn_ = 0;
};
