#pragma once
// Recorded geometry. A Mesh is one indexed triangle list with its surface
// material and texture; it keeps its vertices and indices in memory and, once
// uploaded, in a vertex array with its own buffers, drawn with one call. A
// MeshGroup is a display list of several. Drawables keep what the renderer
// collected between beginList and endList and replay it every frame.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/RenderContext.h"
#include "renderer/GlObject.h"

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
    Mesh(std::vector<Vertex> vertices, std::vector<uint16_t> indices);

    int count() const override { return 1; }
    // A single mesh cannot take others: always an assertion failure.
    void add(std::unique_ptr<RenderList> list) override;
    // Draws through the GL renderer (a context of another kind draws nothing),
    // offers itself to the context's occlusion buffer while culling is active
    // and enabled, and adds the triangles to the context's count.
    void draw(RenderContext& ctx) override;

    // Creates the vertex array and buffers; once, with a current GL context.
    void upload();
    bool uploaded() const { return static_cast<bool>(vertexArray_); }
    // Binds the vertex array and draws the triangles; needs upload().
    void drawElements() const;

    int vertexCount() const { return static_cast<int>(vertices_.size()); }
    int triangleCount() const { return static_cast<int>(indices_.size() / 3); }
    const std::vector<Vertex>& vertices() const { return vertices_; }
    const std::vector<uint16_t>& indices() const { return indices_; }

    MeshMaterial material;
    GLuint texture = 0;  // not owned: the texture cache's or an impostor's; 0 untextured
    bool showsImpostor = false;  // texture is an impostor's picture

private:
    std::vector<Vertex> vertices_;    // owned
    std::vector<uint16_t> indices_;   // owned, three per triangle
    GlVertexArray vertexArray_;
    GlBuffer vertexBuffer_;
    GlBuffer indexBuffer_;
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
