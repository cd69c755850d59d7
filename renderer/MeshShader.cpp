#include "renderer/MeshShader.h"

#include "renderer/Mesh.h"

namespace {

const char* const kVertexSource = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexCoord;
// Merged ranges carry each mesh's diffuse colour in its vertices.
layout(location = 3) in vec3 aDiffuse;
// Instanced copies are moved by xyz after their height is scaled by w; other
// draws leave the attribute at its default, (0, 0, 0, 1).
layout(location = 4) in vec4 aPlacement;
uniform bool uVertexDiffuse;
uniform mat4 uWorld;
uniform mat4 uViewProjection;
uniform vec3 uTowardLight;
uniform vec3 uLightDiffuse;
uniform vec3 uSceneAmbient;
uniform bool uLighting;
uniform vec3 uDiffuse;
uniform vec3 uAmbient;
uniform vec3 uEmissive;
// Sky light: a hemisphere ambient on the diffuse colour, uSkyLight from
// straight above, uGroundLight from straight below.
uniform bool uHemisphere;
uniform vec3 uSkyLight;
uniform vec3 uGroundLight;
out vec3 vColour;
out vec2 vTexCoord;
void main() {
    vec3 position = vec3(aPosition.x, aPosition.y * aPlacement.w, aPosition.z) + aPlacement.xyz;
    gl_Position = uViewProjection * (uWorld * vec4(position, 1.0));
    // The projection maps depth to 0..w; GL clips -w..w.
    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;
    if (uLighting) {
        vec3 n = mat3(uWorld) * vec3(aNormal.x, aNormal.y / aPlacement.w, aNormal.z);
        float len = length(n);
        if (len > 0.0)
            n /= len;
        float lambert = max(dot(n, uTowardLight), 0.0);
        vec3 diffuse = uVertexDiffuse ? aDiffuse : uDiffuse;
        vec3 lit = uEmissive + uAmbient * uSceneAmbient + diffuse * uLightDiffuse * lambert;
        // Off, the classic light is computed exactly as before.
        if (uHemisphere)
            lit += diffuse * mix(uGroundLight, uSkyLight, 0.5 + 0.5 * n.y);
        vColour = clamp(lit, 0.0, 1.0);
    } else {
        vColour = vec3(1.0);
    }
    vTexCoord = aTexCoord;
}
)";

const char* const kFragmentSource = R"(#version 330 core
in vec3 vColour;
in vec2 vTexCoord;
uniform bool uTextured;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() {
    vec4 colour = vec4(vColour, 1.0);
    if (uTextured)
        colour *= texture(uTexture, vTexCoord);
    fragColour = colour;
}
)";

GlShader compile(GLenum kind, const char* source, std::string& error) {
    GlShader shader(glCreateShader(kind));
    glShaderSource(shader.id(), 1, &source, nullptr);
    glCompileShader(shader.id());
    GLint ok = 0;
    glGetShaderiv(shader.id(), GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader.id(), sizeof log, nullptr, log);
        error = log;
        return {};
    }
    return shader;
}

void uploadVector(GLint location, const Vector& v) { glUniform3f(location, v.x, v.y, v.z); }

}  // namespace

MeshShader::MeshShader() {
    GlShader vertex = compile(GL_VERTEX_SHADER, kVertexSource, error_);
    if (!vertex)
        return;
    GlShader fragment = compile(GL_FRAGMENT_SHADER, kFragmentSource, error_);
    if (!fragment)
        return;
    GlProgram program(glCreateProgram());
    glAttachShader(program.id(), vertex.id());
    glAttachShader(program.id(), fragment.id());
    glLinkProgram(program.id());
    GLint ok = 0;
    glGetProgramiv(program.id(), GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetProgramInfoLog(program.id(), sizeof log, nullptr, log);
        error_ = log;
        return;
    }
    program_ = std::move(program);
    const GLuint id = program_.id();
    world_ = glGetUniformLocation(id, "uWorld");
    viewProjection_ = glGetUniformLocation(id, "uViewProjection");
    towardLight_ = glGetUniformLocation(id, "uTowardLight");
    lightDiffuse_ = glGetUniformLocation(id, "uLightDiffuse");
    sceneAmbient_ = glGetUniformLocation(id, "uSceneAmbient");
    lighting_ = glGetUniformLocation(id, "uLighting");
    diffuse_ = glGetUniformLocation(id, "uDiffuse");
    ambient_ = glGetUniformLocation(id, "uAmbient");
    emissive_ = glGetUniformLocation(id, "uEmissive");
    hemisphere_ = glGetUniformLocation(id, "uHemisphere");
    skyLight_ = glGetUniformLocation(id, "uSkyLight");
    groundLight_ = glGetUniformLocation(id, "uGroundLight");
    textured_ = glGetUniformLocation(id, "uTextured");
    texture_ = glGetUniformLocation(id, "uTexture");
    vertexDiffuse_ = glGetUniformLocation(id, "uVertexDiffuse");
    use();
    glUniform1i(texture_, 0);
    glUniform1i(vertexDiffuse_, 0);
    glVertexAttrib4f(4, 0, 0, 0, 1);
}

void MeshShader::use() const { glUseProgram(program_.id()); }

void MeshShader::setWorld(const Matrix44& world) const { glUniformMatrix4fv(world_, 1, GL_TRUE, world.m); }

void MeshShader::setViewProjection(const Matrix44& viewProjection) const {
    glUniformMatrix4fv(viewProjection_, 1, GL_TRUE, viewProjection.m);
}

void MeshShader::setLight(const Vector& towardLight, const Vector& diffuse) const {
    uploadVector(towardLight_, towardLight);
    uploadVector(lightDiffuse_, diffuse);
}

void MeshShader::setAmbient(const Vector& sceneAmbient) const { uploadVector(sceneAmbient_, sceneAmbient); }

void MeshShader::setSkyLight(bool on, const Vector& sky, const Vector& ground) const {
    glUniform1i(hemisphere_, on ? 1 : 0);
    uploadVector(skyLight_, sky);
    uploadVector(groundLight_, ground);
}

void MeshShader::setLighting(bool on) const { glUniform1i(lighting_, on ? 1 : 0); }

void MeshShader::setMaterial(const MeshMaterial& m) const {
    glUniform3f(diffuse_, m.diffuse[0], m.diffuse[1], m.diffuse[2]);
    glUniform3f(ambient_, m.ambient[0], m.ambient[1], m.ambient[2]);
    glUniform3f(emissive_, m.emissive[0], m.emissive[1], m.emissive[2]);
}

void MeshShader::setTextured(bool textured) const { glUniform1i(textured_, textured ? 1 : 0); }

void MeshShader::setVertexDiffuse(bool on) const { glUniform1i(vertexDiffuse_, on ? 1 : 0); }
