#pragma once
// Recorded geometry. A Mesh is one indexed triangle list with its surface
// material and texture; it keeps its vertices, packed, and indices in memory
// (the occlusion buffer reads them as occluders, merged groups are built from
// them, and small meshes drawn on their own are gathered from them) and,
// once uploaded, in a range of the renderer's shared buffers, drawn with one
// call. A MeshGroup is a display list of several. Drawables keep what the
// renderer collected between beginList and endList and replay it every frame.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/RenderContext.h"
#include "core/Vector.h"
#include "renderer/GlObject.h"
#include "renderer/MeshArena.h"

// The vertex format of every mesh: position, normal, one texture coordinate;
// 32 bytes.
struct Vertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(Vertex) == 32, "meshes upload vertices as 32-byte records");

// Points attributes 0 (position), 1 (normal) and 2 (texture coordinate) of the
// bound vertex array at Vertex records in the bound array buffer. Needs a
// current GL context.
void setVertexLayout();

// The vertex a mesh keeps and draws: position, the unit normal in ten bits a
// component (signed, normalised: GL_INT_2_10_10_10_REV, x lowest), one
// texture coordinate; 24 bytes. Shading normalises after its transform, so
// that only the direction counts.
struct PackedVertex {
    float x = 0, y = 0, z = 0;
    uint32_t normal = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(PackedVertex) == 24, "meshes upload vertices as 24-byte records");

// The direction of (x, y, z) packed; a zero or non-finite one packs as zero.
uint32_t packNormal(float x, float y, float z);
// The packed direction back, each component within 1/1022 of the unit one.
Vector unpackNormal(uint32_t packed);
// setVertexLayout for PackedVertex records.
void setPackedVertexLayout();
// The same attributes in records of stride bytes that begin with a
// PackedVertex's fields.
void setPackedAttributes(GLsizei stride);

// Surface colours of the lighting model, RGBA in 0..1: lit colour =
// emissive + ambient * scene ambient + diffuse * light * max(0, n . l).
struct MeshMaterial {
    float diffuse[4] = {0, 0, 0, 0};
    float ambient[4] = {0, 0, 0, 0};
    float specular[4] = {0, 0, 0, 0};
    float emissive[4] = {0, 0, 0, 0};
    float power = 0;
};

class Mesh : public RenderList {
public:
    // 16-bit indices: at most 65535 vertices; indices.size() a multiple of 3.
    // The vertices are kept packed.
    Mesh(const std::vector<Vertex>& vertices, std::vector<uint16_t> indices);
    ~Mesh() override;

    int count() const override { return 1; }
    // A single mesh cannot take others: always an assertion failure.
    void add(std::unique_ptr<RenderList> list) override;
    // Draws through the GL renderer (a context of another kind draws nothing),
    // offers itself to the context's occlusion buffer while culling is active
    // and enabled, and adds the triangles to the context's count.
    void draw(RenderContext& ctx) override;

    // Copies vertices and indices into a range of arena; once, with its GL
    // context current. The range goes back when the mesh goes, while the
    // arena lives. A mesh drawn only through a merged copy is never
    // uploaded, so the device copy is made when it is first drawn on its own.
    void upload(const std::shared_ptr<MeshArena>& arena) const;
    // The arena's beforeRelease runs when the mesh goes, uploaded or not.
    void attach(const std::shared_ptr<MeshArena>& arena) { arena_ = arena; }
    bool uploaded() const { return static_cast<bool>(range_); }
    const MeshArena::Range& range() const { return range_; }

    int vertexCount() const { return static_cast<int>(vertices_.size()); }
    int triangleCount() const { return static_cast<int>(indices_.size() / 3); }
    const std::vector<PackedVertex>& vertices() const { return vertices_; }
    const std::vector<uint16_t>& indices() const { return indices_; }

    MeshMaterial material;
    GLuint texture = 0;  // not owned: the texture cache's or an impostor's; 0 untextured
    bool showsImpostor = false;  // texture is an impostor's picture
    // Distinct for every mesh made in the process, so that a merged group can
    // tell its own meshes from new ones at a reused address.
    const uint64_t serial;

private:
    std::vector<PackedVertex> vertices_;  // owned
    std::vector<uint16_t> indices_;   // owned, three per triangle
    mutable std::weak_ptr<MeshArena> arena_;
    mutable MeshArena::Range range_;
    static inline uint64_t madeCount_ = 0;
};

class MeshGroup : public RenderList {
public:
    int count() const override { return static_cast<int>(entries_.size()); }
    void add(std::unique_ptr<RenderList> list) override;
    // Draws every entry in the order they were added.
    void draw(RenderContext& ctx) override;
    RenderList& entry(int i) const { return *entries_[i]; }

private:
    std::vector<std::unique_ptr<RenderList>> entries_;  // owned
};

// The emission rule: the first mesh becomes the collected list; the second
// turns it into a group holding both; later ones are appended to the group.
void collect(std::unique_ptr<RenderList>& collected, std::unique_ptr<RenderList> mesh);
