#include "renderer/Skybox.h"

#include <string>

#include "renderer/RendererGl.h"
#include "renderer/SkyLight.h"
#include "renderer/TextureCache.h"

const char* const Skybox::kImageNames[kFaces] = {"skybox_posz.jpg", "skybox_posx.jpg", "skybox_negz.jpg",
                                                 "skybox_negx.jpg", "skybox_negy.jpg", "skybox_posy.jpg"};

const Vector Skybox::kCorners[8] = {{-100, 100, 100},  {100, 100, 100},  {100, 100, -100},  {-100, 100, -100},
                                    {-100, -100, 100}, {100, -100, 100}, {100, -100, -100}, {-100, -100, -100}};

const int Skybox::kFaceCorners[kFaces][4] = {{0, 1, 4, 5}, {1, 2, 5, 6}, {2, 3, 6, 7},
                                             {3, 0, 7, 4}, {6, 7, 5, 4}, {1, 0, 2, 3}};

void Skybox::build(RendererGl& renderer, const char* folder) {
    release();
    if (!renderer.hasDevice())
        return;
    const std::string prefix = folder ? folder : kFolder;
    static const float kTexel[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (int face = 0; face < kFaces; ++face) {
        textures_[face] = loadTexture((prefix + kImageNames[face]).c_str());
        for (int k = 0; k < 4; ++k) {
            const Vector& c = kCorners[kFaceCorners[face][k]];
            Vertex& v = vertices_[face * 4 + k];
            v = Vertex();
            v.x = c.x, v.y = c.y, v.z = c.z;
            v.u = kTexel[k][0], v.v = kTexel[k][1];
        }
    }
    // The sky light follows the pictures: black (none) without them.
    renderer.setSkyLightColours(SkyLight::fromFolder(prefix));
    vertexArray_ = GlVertexArray(genVertexArray());
    vertexBuffer_ = GlBuffer(genBuffer());
    renderer.bindVertexArray(vertexArray_.id());
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_.id());
    glBufferData(GL_ARRAY_BUFFER, sizeof vertices_, vertices_.data(), GL_STATIC_DRAW);
    setVertexLayout();
}

void Skybox::draw(RendererGl& renderer) {
    if (!vertexArray_ || !renderer.hasDevice())
        return;
    Matrix44 centred = renderer.view;
    centred.m[3] = centred.m[7] = centred.m[11] = 0;
    renderer.setWorldTransform(Matrix44::identity());
    renderer.setViewTransform(centred);
    renderer.setDepthTest(false);
    renderer.setLighting(false);
    renderer.setCulling(false);
    renderer.setPointFiltering(true);
    renderer.prepareDraw();
    renderer.bindVertexArray(vertexArray_.id());
    for (int face = 0; face < kFaces; ++face) {
        if (textures_[face])
            renderer.setStageTexture(textures_[face].id());
        renderer.setTextured(renderer.stageTexture() != 0);
        glDrawArrays(GL_TRIANGLE_STRIP, face * 4, 4);
        ++renderer.drawCalls;
    }
    renderer.setPointFiltering(false);
    renderer.setDepthTest(true);
    renderer.setCulling(true);
    renderer.setLighting(true);
    renderer.setWorldTransform(renderer.model);
    renderer.resetViewTransform();
}

void Skybox::release() {
    for (GlTexture& t : textures_)
        t.reset();
    vertexBuffer_.reset();
    vertexArray_.reset();
}
