#include "core/Model.h"

#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/Material.h"
#include "core/ModelFile.h"
#include "core/RenderContext.h"

// ---- the shared model table ----

namespace {

struct ModelEntry {
    std::string name;
    std::unique_ptr<Model> model;  // owned
    int references = 0;
};

struct ModelTable {
    std::vector<ModelEntry> entries;
    int loads = 0;
};

// Never destroyed: a drawable held by a static object (a world kept for the
// whole run) may release its model after the statics made before it are gone.
ModelTable& table() {
    static ModelTable* instance = new ModelTable;
    return *instance;
}

std::unique_ptr<Model> readModel(const char* name) {
    Lib3dsFile* file = modelFile::load(name);
    if (!file)
        return nullptr;
    auto model = std::make_unique<Model>();
    model->name = name;
    for (Lib3dsMesh* mesh = file->meshes; mesh; mesh = mesh->next) {
        ModelMesh& out = model->meshes.emplace_back();
        out.name.assign(mesh->name, strnlen(mesh->name, sizeof mesh->name));
        if (mesh->pointL)
            for (Lib3dsDword i = 0; i < mesh->points; ++i)
                out.points.push_back({mesh->pointL[i].pos[0], mesh->pointL[i].pos[1], mesh->pointL[i].pos[2]});
        if (mesh->faceL)
            for (Lib3dsDword i = 0; i < mesh->faces; ++i) {
                const Lib3dsWord* p = mesh->faceL[i].points;
                if (p[0] < out.points.size() && p[1] < out.points.size() && p[2] < out.points.size())
                    out.faces.push_back({p[0], p[1], p[2]});
            }
        // Texture coordinates only make sense one per point.
        if (mesh->texelL && mesh->texels == mesh->points)
            for (Lib3dsDword i = 0; i < mesh->texels; ++i)
                out.texels.push_back({mesh->texelL[i][0], mesh->texelL[i][1]});
    }
    lib3ds_file_free(file);
    if (model->meshes.empty())
        return nullptr;
    return model;
}

}  // namespace

const Model* bindModel(const char* name) {
    if (!name)
        return nullptr;
    ModelTable& t = table();
    for (ModelEntry& e : t.entries)
        if (e.name == name) {
            ++e.references;
            return e.model.get();
        }
    std::unique_ptr<Model> model = readModel(name);
    if (!model)
        return nullptr;
    ++t.loads;
    if (t.entries.size() == t.entries.capacity())
        t.entries.reserve(t.entries.size() + 8);
    t.entries.push_back({name, std::move(model), 1});
    return t.entries.back().model.get();
}

void unbindModel(const Model* model) {
    if (!model)
        return;
    ModelTable& t = table();
    for (auto it = t.entries.begin(); it != t.entries.end(); ++it)
        if (it->model.get() == model) {
            if (--it->references == 0) {
                t.entries.erase(it);
                if (t.entries.empty())
                    t.entries.shrink_to_fit();
            }
            return;
        }
}

int modelTable::size() { return static_cast<int>(table().entries.size()); }

int modelTable::references(const char* name) {
    if (!name)
        return 0;
    for (const ModelEntry& e : table().entries)
        if (e.name == name)
            return e.references;
    return 0;
}

int modelTable::loads() { return table().loads; }

// ---- the model drawable ----

DrawableModel::DrawableModel(const char* modelName, const Matrix44& placement_, uint32_t seed_,
                             const char* materialName, const float placementB_[2])
    : Drawable(seed_, materialName), model(bindModel(modelName)), placement(placement_) {
    if (placementB_) {
        placementB[0] = placementB_[0];
        placementB[1] = placementB_[1];
    }
}

DrawableModel::~DrawableModel() {
    unbindModel(model);
    model = nullptr;
}

void DrawableModel::draw(RenderContext& ctx) {
    material->seedOffsets(seed);
    ctx.placeModel(model, placement, placementB, material.get());
}
