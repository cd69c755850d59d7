#pragma once
// The model library: ready-made meshes (street lamps, cars, stall canopies)
// read from "../data/<name>.3DS" once per name and shared, reference-counted,
// by every drawable that places them; and the drawable that places one.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Drawable.h"
#include "core/Vector.h"

// One mesh of a model file, copied out of lib3ds.
struct ModelMesh {
    std::string name;
    // As in the file: x, y, z with z up (metres).
    std::vector<Vector> points;
    // Triangles as indices into points; every index is below points.size()
    // (a file with faces that point past its points is refused).
    std::vector<std::array<uint16_t, 3>> faces;
    // Texture coordinates (u, v), one per point, or empty when the mesh has none.
    std::vector<Vec2> texels;
};

// The meshes of one model file, in the file's order.
struct Model {
    std::string name;
    std::vector<ModelMesh> meshes;
};

// The shared model table. Models live until their last binding is released.
// Looks name up (exact comparison) and loads its file on a miss; null when
// the name is null or the file is missing, unreadable or has no mesh.
const Model* bindModel(const char* name);
// Releases one binding; the meshes are freed with the last. Null is ignored.
void unbindModel(const Model* model);

namespace modelTable {
int size();
// Reference count of name, 0 when absent.
int references(const char* name);
// Number of model files loaded so far (a test hook for "loads once").
int loads();
}  // namespace modelTable

// Places one instance of a model. Its class name is "Drawable".
class DrawableModel : public Drawable {
public:
    // placementB: two factors for the model's own texture coordinates (see
    // RenderContext::placeModel); null means (1, 1).
    DrawableModel(const char* modelName, const Matrix44& placement, uint32_t seed, const char* materialName,
                  const float placementB[2] = nullptr);
    // Releases the model before the Drawable destructor releases the material.
    ~DrawableModel() override;

    void draw(RenderContext& ctx) override;

    const Model* model = nullptr;  // not owned: the model table's; null when unbound
    Matrix44 placement;
    float placementB[2] = {1, 1};
};
