#pragma once
// The one shader pair of the renderer. It stands in for fixed-function vertex
// lighting: colour = emissive + ambient * scene ambient + diffuse * light *
// max(0, n . l), clamped per vertex, then modulated by the stage-0 texture.
// The sky light adds diffuse * mix(ground, sky, (1 + n.y) / 2) before the
// clamp; switched off, the colour is the classic one exactly.
// With lighting off the colour is white, so a texture shows as it is.
#include <string>

#include "core/Vector.h"
#include "renderer/GlObject.h"

struct MeshMaterial;

class MeshShader {
public:
    // Compiles and links; on failure valid() is false and error() says why.
    // Needs a current GL 3.3 core context.
    MeshShader();

    bool valid() const { return static_cast<bool>(program_); }
    const std::string& error() const { return error_; }
    void use() const;

    // Matrices in the system's convention (row by row, column vectors).
    void setWorld(const Matrix44& world) const;
    void setViewProjection(const Matrix44& viewProjection) const;
    // towardLight: unit vector to the light (zero: no light); colours 0..1.
    void setLight(const Vector& towardLight, const Vector& diffuse) const;
    void setAmbient(const Vector& sceneAmbient) const;
    // Sky light on or off; sky and ground: colours 0..1 from above and below.
    void setSkyLight(bool on, const Vector& sky, const Vector& ground) const;
    void setLighting(bool on) const;
    void setMaterial(const MeshMaterial& material) const;
    void setTextured(bool textured) const;
    // Whether the diffuse colour comes from vertex attribute 3 (merged
    // ranges) instead of the material.
    void setVertexDiffuse(bool on) const;

private:
    GlProgram program_;
    std::string error_;
    GLint world_ = -1, viewProjection_ = -1, towardLight_ = -1, lightDiffuse_ = -1, sceneAmbient_ = -1,
          lighting_ = -1, diffuse_ = -1, ambient_ = -1, emissive_ = -1, textured_ = -1, texture_ = -1;
    GLint vertexDiffuse_ = -1;
    GLint hemisphere_ = -1, skyLight_ = -1, groundLight_ = -1;
};
