#include "renderer/MeshCollector.h"

#include <cmath>

#include "core/Desc.h"
#include "core/Material.h"

void MeshCollector::collect(Drawable& root, const Matrix44& frame) {
    const Desc* savedOwner = owner_;
    walk(root, frame);
    owner_ = savedOwner;
}

void MeshCollector::collectOwnShape(Desc& desc, const Matrix44& frame) {
    const Desc* savedOwner = owner_;
    owner_ = &desc;
    ownShape(desc, frame);
    owner_ = savedOwner;
}

void MeshCollector::collectPrism(DescPoly& desc, const Matrix44& frame) {
    const Desc* savedOwner = owner_;
    owner_ = &desc;
    model = frame;
    updateModelView();
    currentDescription = &desc;
    desc.DescPoly::drawOwnShape(*this);
    owner_ = savedOwner;
}

void MeshCollector::placeModel(const Model* placed, const Matrix44& placementA, const float placementB[2],
                               Material* material) {
    if (!instances || !placed || isImpostorMapping(material)) {
        TessellatingContext::placeModel(placed, placementA, placementB, material);
        return;
    }
    // The model's meshes in its own coordinates: the same tessellation as in
    // place, but for the placement.
    Instance instance;
    instance.model = placed;
    instance.placement = model * placementA;
    if (placementB)
        instance.factors[0] = placementB[0], instance.factors[1] = placementB[1];
    const Matrix44 saved = model;
    model = Matrix44::identity();
    updateModelView();
    std::vector<Piece> meshes;
    capture_ = &meshes;
    TessellatingContext::placeModel(placed, Matrix44::identity(), placementB, material);
    capture_ = nullptr;
    model = saved;
    updateModelView();
    instances(instance, meshes);
}

void MeshCollector::walk(Drawable& node, const Matrix44& frame) {
    auto* desc = dynamic_cast<Desc*>(&node);
    if (!desc) {
        // A leaf draws as it records: through render(), which applies its own
        // placement. Its recorded list is set aside so that it is drawn anew.
        std::unique_ptr<RenderList> recorded = std::move(node.renderHandle);
        model = frame;
        updateModelView();
        node.render(*this);
        node.renderHandle = std::move(recorded);
        return;
    }
    Matrix44 local = frame;
    if (const Matrix44* own = desc->localTransform())
        local = frame * *own;
    if (enter && !enter(*desc, local))
        return;
    owner_ = desc;
    if (desc->childCount() == 0) {
        ownShape(*desc, local);
    } else {
        for (int i = 0; i < desc->childCount(); ++i) {
            walk(*desc->child(i), local);
            owner_ = desc;
        }
    }
    if (leave)
        leave(*desc);
}

void MeshCollector::ownShape(Desc& desc, const Matrix44& frame) {
    model = frame;
    updateModelView();
    currentDescription = &desc;
    // A picture standing in for the description covers its material: its
    // shape is taken with the material underneath, as it looks up close.
    if (desc.material && desc.material->isImpostor()) {
        auto* cover = static_cast<ImpostorMaterial*>(desc.material.get());
        if (cover->next) {
            std::unique_ptr<Material> covering = std::move(desc.material);
            desc.material = std::move(cover->next);
            desc.drawOwnShape(*this);
            cover->next = std::move(desc.material);
            desc.material = std::move(covering);
            return;
        }
    }
    desc.drawOwnShape(*this);
}

void MeshCollector::emitMesh(TessellatedMesh& mesh) {
    Piece piece;
    piece.vertices = std::move(mesh.vertices);
    piece.indices = std::move(mesh.indices);
    piece.surface = mesh.surface;
    piece.textureName = std::move(mesh.textureName);
    if (mesh.material && mesh.material->record)
        piece.materialName = mesh.material->record->name;
    piece.owner = owner_;
    // Rigid placements: the upper 3x3 turns normals as it turns points.
    const Vector origin = model.transformPoint({0, 0, 0});
    for (Vertex& v : piece.vertices) {
        const Vector p = model.transformPoint({v.x, v.y, v.z});
        const Vector n = model.transformPoint({v.nx, v.ny, v.nz}) - origin;
        v.x = p.x, v.y = p.y, v.z = p.z;
        v.nx = n.x, v.ny = n.y, v.nz = n.z;
    }
    if (capture_)
        capture_->push_back(std::move(piece));
    else if (sink)
        sink(piece);
    else
        pieces.push_back(std::move(piece));
}

long MeshCollector::triangleCount() const {
    long n = 0;
    for (const Piece& p : pieces)
        n += static_cast<long>(p.indices.size() / 3);
    return n;
}

Matrix44 worldFrameOf(const Desc& desc) {
    Matrix44 frame = Matrix44::identity();
    for (const Desc* d = &desc; d; d = d->parent)
        if (const Matrix44* own = d->localTransform())
            frame = *own * frame;
    return frame;
}
