#pragma once
// The sky: a cube of six pictures around the camera, drawn first in every
// frame with depth test, lighting and culling off, so everything drawn later
// covers it. It moves with the camera (the view's translation is dropped) and
// is sampled with point filtering. Its GL objects die with it: destroy it
// while the renderer's window still exists.
#include <array>

#include "renderer/GlObject.h"
#include "renderer/Mesh.h"

class RendererGl;

class Skybox {
public:
    static constexpr int kFaces = 6;
    // Face order: +z, +x, -z, -x, -y, +y.
    static const char* const kImageNames[kFaces];
    static constexpr const char* kFolder = "../data/Bitmaps/";
    // Cube corners, world units around the camera.
    static const Vector kCorners[8];
    // Corners of each face in triangle-strip order.
    static const int kFaceCorners[kFaces][4];

    // Loads the six images from folder (a missing one leaves its face without
    // a texture), fills the faces and hands the renderer the sky light of its
    // top and bottom pictures. Needs the renderer's context current.
    void build(RendererGl& renderer, const char* folder = kFolder);
    // Right after beginFrame. A face without a texture is drawn with whatever
    // texture was set last.
    void draw(RendererGl& renderer);
    // Releases the textures and buffers (before a resize or the renderer's end).
    void release();

    // GL name of a face's texture, 0 when its image did not load.
    GLuint texture(int face) const { return textures_[face].id(); }
    const std::array<Vertex, kFaces * 4>& vertices() const { return vertices_; }

private:
    std::array<GlTexture, kFaces> textures_;  // owned
    std::array<Vertex, kFaces * 4> vertices_{};
    GlVertexArray vertexArray_;
    GlBuffer vertexBuffer_;
};
