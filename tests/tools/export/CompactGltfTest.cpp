// The start-view quarter written compact and plain by the tour, read back:
// the same triangles and the same place, whatever the encoding.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/export/ExportFiles.h"
#include "tests/tools/export/GlbReadBack.h"

namespace {

bool uses(const tinygltf::Model& m, const char* extension) {
    for (const std::string& e : m.extensionsRequired)
        if (e == extension)
            return true;
    return false;
}

}  // namespace

TEST(CompactGltf, ReadsBackAsThePlainOne) {
    ASSERT_FALSE(exportFiles::dir().empty()) << "CALLI_EXPORT_DIR is not set";
    const std::string compactPath = exportFiles::dir() + "/compact.glb", plainPath = exportFiles::dir() + "/plain.glb";
    const readBack::Scene compact = readBack::read(compactPath), plain = readBack::read(plainPath);
    ASSERT_EQ(compact.error, "");
    ASSERT_EQ(plain.error, "");

    EXPECT_TRUE(compact.compact);
    EXPECT_TRUE(uses(compact.model, "EXT_meshopt_compression"));
    EXPECT_TRUE(uses(compact.model, "KHR_mesh_quantization"));
    EXPECT_TRUE(plain.model.extensionsUsed.empty());
    EXPECT_TRUE(plain.model.extensionsRequired.empty());

    EXPECT_GT(plain.triangles, 100000);
    EXPECT_EQ(compact.triangles, plain.triangles);
    // Models placed many times are kept once and placed by nodes, alike in both.
    EXPECT_EQ(compact.nodesWithMesh, plain.nodesWithMesh);
    EXPECT_GT(plain.nodesWithMesh, static_cast<long>(plain.model.meshes.size()));
    EXPECT_EQ(compact.model.materials.size(), plain.model.materials.size());
    EXPECT_EQ(compact.model.textures.size(), plain.model.textures.size());

    // The same bounds within the grid the positions were quantised to.
    double extent = 0;
    for (size_t k = 0; k < 3; ++k)
        extent = std::max(extent, plain.hi[k] - plain.lo[k]);
    ASSERT_GT(extent, 50.0);
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(compact.lo[k], plain.lo[k], extent / 65535.0 + 1e-3) << "axis " << k;
        EXPECT_NEAR(compact.hi[k], plain.hi[k], extent / 65535.0 + 1e-3) << "axis " << k;
    }
    // Compression that does its work.
    EXPECT_LT(std::filesystem::file_size(compactPath) * 4, std::filesystem::file_size(plainPath));
}
