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
class Drawable;

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

    // Called for every description before its geometry is taken, with the
    // placement of its coordinates in the world; false skips it and all below.
    std::function<bool(const Desc& desc, const Matrix44& frame)> enter;

    // Appends the geometry under root. frame: the placement of root's
    // coordinates in the world (the local transforms of the descriptions
    // above it; identity for the world root).
    void collect(Drawable& root, const Matrix44& frame);
    // Appends one description's own shape only (what it shows while coarse);
    // frame: the placement of its own coordinates (worldFrameOf).
    void collectOwnShape(Desc& desc, const Matrix44& frame);

    long triangleCount() const;
    std::vector<Piece> pieces;

    void setLight(const Vector&) override {}
    void drawGraph(const Graph&) override {}

protected:
    void emitMesh(TessellatedMesh& mesh) override;

private:
    void walk(Drawable& node, const Matrix44& frame);
    void ownShape(Desc& desc, const Matrix44& frame);
    const Desc* owner_ = nullptr;
};

// The placement of desc's coordinates in the world: the product of the local
// transforms of its ancestors and its own.
Matrix44 worldFrameOf(const Desc& desc);
