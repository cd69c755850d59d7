#pragma once
// Move-only owners of OpenGL object names: each frees its name when it dies.
// They need a current context to be created and destroyed; a default-made one
// holds no name (0) and frees nothing, so unused members cost no GL call.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1  // GLVND exports the 3.3 entry points; no loader
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include <utility>

namespace gl {
inline void deleteBuffer(GLuint id) { glDeleteBuffers(1, &id); }
inline void deleteVertexArray(GLuint id) { glDeleteVertexArrays(1, &id); }
inline void deleteTexture(GLuint id) { glDeleteTextures(1, &id); }
inline void deleteSampler(GLuint id) { glDeleteSamplers(1, &id); }
inline void deleteFramebuffer(GLuint id) { glDeleteFramebuffers(1, &id); }
inline void deleteRenderbuffer(GLuint id) { glDeleteRenderbuffers(1, &id); }
inline void deleteProgram(GLuint id) { glDeleteProgram(id); }
inline void deleteShader(GLuint id) { glDeleteShader(id); }
}  // namespace gl

template <void (*Delete)(GLuint)>
class GlObject {
public:
    GlObject() = default;
    // Takes ownership of id (0: none).
    explicit GlObject(GLuint id) : id_(id) {}
    ~GlObject() { reset(); }
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;
    GlObject(GlObject&& o) noexcept : id_(std::exchange(o.id_, 0)) {}
    GlObject& operator=(GlObject&& o) noexcept {
        if (this != &o) {
            reset();
            id_ = std::exchange(o.id_, 0);
        }
        return *this;
    }

    GLuint id() const { return id_; }
    explicit operator bool() const { return id_ != 0; }
    // Frees the name now.
    void reset() {
        if (id_ != 0)
            Delete(id_);
        id_ = 0;
    }

private:
    GLuint id_ = 0;
};

using GlBuffer = GlObject<gl::deleteBuffer>;
using GlVertexArray = GlObject<gl::deleteVertexArray>;
using GlTexture = GlObject<gl::deleteTexture>;
using GlSampler = GlObject<gl::deleteSampler>;
using GlFramebuffer = GlObject<gl::deleteFramebuffer>;
using GlRenderbuffer = GlObject<gl::deleteRenderbuffer>;
using GlProgram = GlObject<gl::deleteProgram>;
using GlShader = GlObject<gl::deleteShader>;

// Fresh names.
namespace gl {
template <void (*Generate)(GLsizei, GLuint*)>
GLuint generate() {
    GLuint id = 0;
    Generate(1, &id);
    return id;
}
}  // namespace gl

inline GLuint genBuffer() { return gl::generate<glGenBuffers>(); }
inline GLuint genVertexArray() { return gl::generate<glGenVertexArrays>(); }
inline GLuint genTexture() { return gl::generate<glGenTextures>(); }
inline GLuint genSampler() { return gl::generate<glGenSamplers>(); }
inline GLuint genFramebuffer() { return gl::generate<glGenFramebuffers>(); }
inline GLuint genRenderbuffer() { return gl::generate<glGenRenderbuffers>(); }
