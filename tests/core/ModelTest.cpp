#include "core/Model.h"

#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"

#include "DataFileTestSupport.h"

namespace {

// A model file in the data directory under a name no real model uses;
// removed again when the test ends.
class TestModelFile : public ScratchDataFile {
public:
    explicit TestModelFile(const std::string& tag) : ScratchDataFile("CalliModelTest_", tag) {}
};

struct MeshData {
    const char* name;
    std::vector<Vector> points;
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<Vec2> texels;
};

bool writeModelFile(const std::string& path, const std::vector<MeshData>& meshes) {
    Lib3dsFile* file = lib3ds_file_new();
    Lib3dsMaterial* material = lib3ds_material_new();
    std::snprintf(material->name, sizeof material->name, "%s", "paint");
    lib3ds_file_insert_material(file, material);
    for (const MeshData& meshData : meshes) {
        Lib3dsMesh* mesh = lib3ds_mesh_new(meshData.name);
        lib3ds_mesh_new_point_list(mesh, static_cast<Lib3dsDword>(meshData.points.size()));
        for (size_t i = 0; i < meshData.points.size(); ++i) {
            mesh->pointL[i].pos[0] = meshData.points[i].x;
            mesh->pointL[i].pos[1] = meshData.points[i].y;
            mesh->pointL[i].pos[2] = meshData.points[i].z;
        }
        lib3ds_mesh_new_face_list(mesh, static_cast<Lib3dsDword>(meshData.faces.size()));
        for (size_t i = 0; i < meshData.faces.size(); ++i) {
            for (int k = 0; k < 3; ++k)
                mesh->faceL[i].points[k] = meshData.faces[i][k];
            std::snprintf(mesh->faceL[i].material, sizeof mesh->faceL[i].material, "%s", "paint");
        }
        if (!meshData.texels.empty()) {
            lib3ds_mesh_new_texel_list(mesh, static_cast<Lib3dsDword>(meshData.texels.size()));
            for (size_t i = 0; i < meshData.texels.size(); ++i) {
                mesh->texelL[i][0] = meshData.texels[i].x;
                mesh->texelL[i][1] = meshData.texels[i].y;
            }
        }
        lib3ds_file_insert_mesh(file, mesh);
    }
    const bool ok = lib3ds_file_save(file, path.c_str());
    lib3ds_file_free(file);
    return ok;
}

// The offset of the first chunk with this id, found by scanning the bytes
// (good enough for files we wrote ourselves).
size_t findChunk(const std::vector<uint8_t>& bytes, uint16_t id) {
    for (size_t i = 0; i + 6 <= bytes.size(); ++i)
        if (bytes[i] == (id & 0xff) && bytes[i + 1] == (id >> 8))
            return i;
    return std::string::npos;
}

// Records what each placeModel call receives, and the texture-offset
// generator's next value at that moment.
class PlacementRecorder : public NullRenderContext {
public:
    struct Placement {
        const Model* model;
        Matrix44 placement;
        float b[2];
        Material* material;
        int32_t nextOffsetDraw;
    };
    void placeModel(const Model* model, const Matrix44& a, const float b[2], Material* material) override {
        NullRenderContext::placeModel(model, a, b, material);
        RandomGenerator copy = RandomGenerator::textureOffset();
        placements.push_back({model, a, {b[0], b[1]}, material, copy.next()});
    }
    std::vector<Placement> placements;
};

class ModelTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::is_directory("../data")) << "tests run from bin/ beside data/";
        ASSERT_EQ(modelTable::size(), 0);
        ASSERT_EQ(materialTable::size(), 0);
    }
    void TearDown() override {
        EXPECT_EQ(modelTable::size(), 0);
        EXPECT_EQ(materialTable::size(), 0);
    }
};

}  // namespace

// ---- the shared table, against the generated data directory ----

TEST_F(ModelTableTest, PlacingCarTwiceLoadsOnceAndCountsTwo) {
    const int loads = modelTable::loads();
    {
        DrawableModel first("Car1", Matrix44::translation(1, 0, 0), 11, "Car1");
        DrawableModel second("Car1", Matrix44::translation(9, 0, 0), 12, "Car1");
        ASSERT_NE(first.model, nullptr);
        EXPECT_EQ(first.model, second.model);
        EXPECT_EQ(modelTable::loads(), loads + 1);
        EXPECT_EQ(modelTable::references("Car1"), 2);
        EXPECT_EQ(modelTable::size(), 1);
        EXPECT_EQ(first.model->name, "Car1");
        EXPECT_FALSE(first.model->meshes.empty());
        // Material and model share one file but not one table.
        EXPECT_EQ(materialTable::references("Car1"), 2);
    }
    EXPECT_EQ(modelTable::references("Car1"), 0);
}

TEST_F(ModelTableTest, EveryModelLoadsWithValidFaces) {
    for (const char* name : {"Street_lamp1", "Car1", "Car2", "Canopy1", "Canopy2"}) {
        const Model* model = bindModel(name);
        ASSERT_NE(model, nullptr) << name;
        bool anyTexels = false;
        for (const ModelMesh& mesh : model->meshes) {
            EXPECT_FALSE(mesh.faces.empty()) << name << " " << mesh.name;
            for (const auto& face : mesh.faces)
                for (uint16_t index : face)
                    EXPECT_LT(index, mesh.points.size()) << name;
            EXPECT_TRUE(mesh.texels.empty() || mesh.texels.size() == mesh.points.size()) << name;
            anyTexels = anyTexels || !mesh.texels.empty();
        }
        EXPECT_TRUE(anyTexels) << name << " has no texture coordinates";
        unbindModel(model);
    }
}

TEST_F(ModelTableTest, MissingModelStillBindsAndReleasesItsMaterial) {
    const int loads = modelTable::loads();
    {
        DrawableModel ghost("NoSuchModel_really", Matrix44{}, 3, "Brick1");
        EXPECT_EQ(ghost.model, nullptr);
        EXPECT_TRUE(ghost.material->bound());
        EXPECT_EQ(modelTable::size(), 0);
        // The renderer is still asked, and draws nothing for it.
        PlacementRecorder ctx;
        ghost.draw(ctx);
        ASSERT_EQ(ctx.placements.size(), 1u);
        EXPECT_EQ(ctx.placements[0].model, nullptr);
    }
    EXPECT_EQ(modelTable::loads(), loads);
    EXPECT_EQ(bindModel(nullptr), nullptr);
    EXPECT_EQ(bindModel(""), nullptr);
    unbindModel(nullptr);
}

// ---- reading model files ----

TEST_F(ModelTableTest, MeshesCopiedAsInTheFile) {
    TestModelFile file("meshes");
    ASSERT_TRUE(writeModelFile(file.path(),
                               {{"body", {{0, 0, 0}, {2, 0, 0}, {2, 1, 3}, {0, 1, 3}}, {{0, 1, 2}, {0, 2, 3}},
                                 {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
                                {"wheel", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 1, 0}}, {}}}));
    const Model* model = bindModel(file.name());
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->meshes.size(), 2u);
    const ModelMesh* body = nullptr;
    const ModelMesh* wheel = nullptr;
    for (const ModelMesh& m : model->meshes)
        (m.name == "body" ? body : wheel) = &m;
    ASSERT_NE(body, nullptr);
    ASSERT_NE(wheel, nullptr);
    ASSERT_EQ(body->points.size(), 4u);
    EXPECT_EQ(body->points[2], (Vector{2, 1, 3}));  // z stays the file's up axis
    EXPECT_EQ(body->faces, (std::vector<std::array<uint16_t, 3>>{{0, 1, 2}, {0, 2, 3}}));
    ASSERT_EQ(body->texels.size(), 4u);
    EXPECT_EQ(body->texels[2], (Vec2{1, 1}));
    EXPECT_EQ(wheel->faces, (std::vector<std::array<uint16_t, 3>>{{0, 1, 2}, {2, 1, 0}}));
    EXPECT_TRUE(wheel->texels.empty());
    unbindModel(model);
}

TEST_F(ModelTableTest, FacePointingPastThePointsIsRefused) {
    // lib3ds would read the face's normal from outside the point list.
    TestModelFile file("farface");
    ASSERT_TRUE(writeModelFile(file.path(), {{"m", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1, 3}}, {}}}));
    EXPECT_EQ(bindModel(file.name()), nullptr);
    EXPECT_FALSE(Material(file.name()).bound());
    TestModelFile pointless("nopoints");
    ASSERT_TRUE(writeModelFile(pointless.path(), {{"m", {}, {{0, 0, 0}}, {}}}));
    EXPECT_EQ(bindModel(pointless.name()), nullptr);
}

TEST_F(ModelTableTest, TexelsThatDoNotMatchThePointsAreDropped) {
    TestModelFile file("texels");
    ASSERT_TRUE(writeModelFile(file.path(), {{"m", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {{0, 0}, {1, 0}}}}));
    const Model* model = bindModel(file.name());
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->meshes[0].texels.empty());
    unbindModel(model);
}

TEST_F(ModelTableTest, FileWithoutMeshesLeavesItNull) {
    TestModelFile file("nomesh");
    ASSERT_TRUE(writeModelFile(file.path(), {}));
    EXPECT_EQ(bindModel(file.name()), nullptr);
    // ...while its material binds.
    Material m(file.name());
    EXPECT_TRUE(m.bound());
}

TEST_F(ModelTableTest, FaceMaterialIndexPastTheFacesIsRefused) {
    // lib3ds would write the face material into a face that does not exist.
    TestModelFile file("facegroup");
    ASSERT_TRUE(writeModelFile(file.path(), {{"m", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, {}}}));
    std::vector<uint8_t> bytes = readBytes(file.path());
    const Model* intact = bindModel(file.name());
    ASSERT_NE(intact, nullptr);
    unbindModel(intact);

    const size_t group = findChunk(bytes, 0x4130);
    ASSERT_NE(group, std::string::npos);
    // Header, "paint\0", count, first index.
    const size_t index = group + 6 + 6 + 2;
    ASSERT_LT(index + 1, bytes.size());
    ASSERT_EQ(bytes[index], 0);
    bytes[index] = 0x40;
    bytes[index + 1] = 0x9c;  // face 40000 of 1
    file.writeBytes(bytes);
    EXPECT_EQ(bindModel(file.name()), nullptr);
    EXPECT_FALSE(Material(file.name()).bound());
}

TEST_F(ModelTableTest, DamagedFilesLeaveItUnbound) {
    const std::vector<uint8_t> good = readBytes("../data/Car1.3DS");
    ASSERT_GT(good.size(), 256u);
    TestModelFile file("damaged");

    file.writeBytes({});
    EXPECT_EQ(bindModel(file.name()), nullptr);
    file.writeBytes(std::vector<uint8_t>(3000, 0x4d));
    EXPECT_EQ(bindModel(file.name()), nullptr);
    for (size_t length = 1; length < good.size(); length += good.size() / 97 + 1) {
        file.writeBytes(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(length)));
        EXPECT_EQ(bindModel(file.name()), nullptr) << "truncated to " << length;
    }

    // Random damage: refused or read, never a crash, and whatever is read
    // keeps its faces within its points.
    std::mt19937 random(99);
    int read = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bytes = good;
        const int hits = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < hits; ++i)
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        file.writeBytes(bytes);
        DrawableModel d(file.name(), Matrix44{}, 1, file.name());
        if (!d.model)
            continue;
        ++read;
        for (const ModelMesh& mesh : d.model->meshes)
            for (const auto& face : mesh.faces)
                for (uint16_t index : face)
                    ASSERT_LT(index, mesh.points.size());
    }
    EXPECT_GT(read, 0);  // damage in the vertex data alone still reads
}

// ---- the model drawable ----

TEST_F(ModelTableTest, DrawHandsModelPlacementAndMaterialToTheRenderer) {
    const Matrix44 placement = Matrix44::translation(3, 4, 5) * Matrix44::rotationY(1.0f);
    const float texture[2] = {0.5f, 2.0f};
    DrawableModel lamp("Street_lamp1", placement, 4242, "Street_lamp1", texture);
    EXPECT_STREQ(lamp.className().name, "Drawable");
    PlacementRecorder ctx;
    RandomGenerator::textureOffset().seed(1);
    lamp.draw(ctx);
    ASSERT_EQ(ctx.placements.size(), 1u);
    const auto& p = ctx.placements[0];
    EXPECT_EQ(p.model, lamp.model);
    EXPECT_NE(p.model, nullptr);
    EXPECT_EQ(p.placement, placement);
    EXPECT_EQ(p.b[0], 0.5f);
    EXPECT_EQ(p.b[1], 2.0f);
    EXPECT_EQ(p.material, lamp.material.get());
    // The generator was reseeded with the drawable's seed just before.
    EXPECT_EQ(p.nextOffsetDraw, RandomGenerator(4242).next());

    DrawableModel plain("Car2", Matrix44{}, 1, "Car2");
    EXPECT_EQ(plain.placementB[0], 1.0f);
    EXPECT_EQ(plain.placementB[1], 1.0f);
}
