#pragma once
// A render context that turns every geometry operation into triangles in the
// mesh vertex format, on the CPU, and hands each finished mesh with its
// surface to emitMesh(). The GL renderer uploads and draws what it receives;
// the mesh collector keeps it (picking, export). Both therefore see exactly
// the same tessellation. Needs no GL context.
#include <cstdint>
#include <string>
#include <vector>

#include "core/RenderContext.h"
#include "renderer/Mesh.h"

class Tessellator;

// A mesh as the geometry operations finish it, in the coordinates of the
// current model transform.
struct TessellatedMesh {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;  // three per triangle
    MeshMaterial surface;           // lighting colours (meaningless when it shows an impostor)
    std::string textureName;        // file under the bitmap folder; empty: untextured
    Material* material = nullptr;   // not owned: the drawable's, as given to the operation
    bool showsImpostor = false;     // painted with an impostor picture (material is an ImpostorMaterial)
};

class TessellatingContext : public RenderContext {
public:
    void extrudedPolygon(const Poly& poly, const Extrusion& extrusion, Material* material, int flags) override;
    void slabPolygon(const ClipPolygon& shape, const Extrusion& extrusion, Material* material) override;
    void placeModel(const Model* model, const Matrix44& placementA, const float placementB[2],
                    Material* material) override;
    void roofQuad(const Poly& poly, const float heights[4], float thickness, Material* material) override;
    void terrainPolygon(const Poly& poly, const Terrain* terrain, float depth, Material* material) override;
    void slopedPanel(const Poly& footprint, const Extrusion& start, const Extrusion& end,
                     Material* material) override;

protected:
    // Receives each non-empty mesh in emission order.
    virtual void emitMesh(TessellatedMesh& mesh) = 0;
    // Texture coordinates from the material's mapping, oriented by edge
    // (planar mappings) or through its impostor's capture.
    void mapTexture(Tessellator& builder, Material* material, const Vec2& edge, int first = 0);
    // The builder's triangles with their surface colours (with the
    // material's brightness jitter, drawn from the texture-offset generator
    // as every mesh does) and texture name.
    TessellatedMesh finish(Tessellator& builder, Material* material);
    // finish, then emitMesh (nothing when the builder holds nothing).
    void emit(Tessellator& builder, Material* material);
    // What extrudedPolygon emits, not emitted; empty when it would emit nothing.
    TessellatedMesh prism(const Poly& poly, const Extrusion& extrusion, Material* material);

    // Whether the material lays an impostor's picture on its shape.
    static bool isImpostorMapping(const Material* material);
    // The impostor a material paints, or null.
    static Impostor* impostorOf(Material* material);
};
