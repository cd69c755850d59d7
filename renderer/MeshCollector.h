#pragma once
// Tessellates what is generated under a description, as the renderer would
// draw it, and keeps the meshes in world coordinates instead of drawing them:
// the shapes that picking tests and that export writes. A description with
// children gives its children's geometry, one without gives its own shape;
// drawable leaves give theirs. Nothing in the tree changes: recorded lists
// and impostors stay as they were. Needs no GL context.
#include <functional>
#include <string>
#include <vector>

#include "renderer/TessellatingContext.h"

class Desc;
class DescPoly;
class Drawable;
struct Model;

class MeshCollector : public TessellatingContext {
public:
    struct Piece {
        std::vector<Vertex> vertices;   // world coordinates; normals turned alike
        std::vector<uint16_t> indices;  // three per triangle
        MeshMaterial surface;
        std::string materialName;       // the bound record's name; empty when unbound
        std::string textureName;        // empty: untextured
        const Desc* owner = nullptr;    // not owned: the deepest description that drew it
    };
    // One placement of a model, when models are handed over as instances.
    struct Instance {
        const Model* model = nullptr;  // not owned; valid during the call only
        Matrix44 placement;            // world from the model's own coordinates
        float factors[2] = {1, 1};     // on the model's texture coordinates
    };

    // Called for every description before its geometry is taken, with the
    // placement of its coordinates in the world; false skips it and all below.
    std::function<bool(Desc& desc, const Matrix44& frame)> enter;
    // Called for every description entered, once its geometry is taken.
    std::function<void(Desc& desc)> leave;
    // When set, each piece goes here as it is made (and may be moved from)
    // instead of into pieces.
    std::function<void(Piece& piece)> sink;
    // When set, a placed model is not put into the world: its meshes, made in
    // its own coordinates, go here with the placement (and not to sink or pieces).
    std::function<void(const Instance& instance, std::vector<Piece>& meshes)> instances;

    // Appends the geometry under root. frame: the placement of root's
    // coordinates in the world (the local transforms of the descriptions
    // above it; identity for the world root).
    void collect(Drawable& root, const Matrix44& frame);
    // Appends one description's own shape only (what it shows while coarse);
    // frame: the placement of its own coordinates (worldFrameOf).
    void collectOwnShape(Desc& desc, const Matrix44& frame);
    // Appends the prism of a polygon description (its polygon over its
    // extrusion), whatever its own shape is.
    void collectPrism(DescPoly& desc, const Matrix44& frame);

    long triangleCount() const;
    std::vector<Piece> pieces;

    void setLight(const Vector&) override {}
    void drawGraph(const Graph&) override {}
    void placeModel(const Model* model, const Matrix44& placementA, const float placementB[2],
                    Material* material) override;

protected:
    void emitMesh(TessellatedMesh& mesh) override;

private:
    void walk(Drawable& node, const Matrix44& frame);
    void ownShape(Desc& desc, const Matrix44& frame);
    const Desc* owner_ = nullptr;
    std::vector<Piece>* capture_ = nullptr;  // where a model's own meshes go while it is placed
};

// The placement of desc's coordinates in the world: the product of the local
// transforms of its ancestors and its own.
Matrix44 worldFrameOf(const Desc& desc);
