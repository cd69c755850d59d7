// The texture cache: one entry per name, failed loads not remembered, and a
// mesh of a textured material takes the cached texture.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "renderer/Mesh.h"
#include "renderer/TextureCache.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

class TextureCacheTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::filesystem::create_directories(folder_);
        const uint8_t pixels[4 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
        ASSERT_NE(stbi_write_bmp((folder_ / kName).c_str(), 2, 2, 3, pixels), 0);
    }
    void TearDown() override { std::filesystem::remove(folder_ / kName); }

    static constexpr const char* kName = "calli_test_cache.bmp";
    const std::filesystem::path folder_ = "../data/Bitmaps";
};

}  // namespace

TEST_F(TextureCacheTest, SameNameSharesOneEntry) {
    TextureCache cache;
    const GLuint first = cache.texture(kName);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(cache.texture(kName), first);
    EXPECT_EQ(cache.size(), 1);
    EXPECT_EQ(cache.loadAttempts(), 1);
}

TEST_F(TextureCacheTest, NamesAreExact) {
    TextureCache cache;
    ASSERT_NE(cache.texture(kName), 0u);
    EXPECT_EQ(cache.texture("CALLI_TEST_CACHE.BMP"), 0u);
    EXPECT_EQ(cache.size(), 1);
}

TEST_F(TextureCacheTest, FailedLoadIsNotCachedAndTriedAgain) {
    TextureCache cache;
    EXPECT_EQ(cache.texture("calli_no_such_picture.jpg"), 0u);
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.texture("calli_no_such_picture.jpg"), 0u);
    EXPECT_EQ(cache.loadAttempts(), 2);
}

TEST_F(TextureCacheTest, ClearReleasesAndTheNextRequestLoadsAgain) {
    TextureCache cache;
    ASSERT_NE(cache.texture(kName), 0u);
    cache.clear();
    EXPECT_EQ(cache.size(), 0);
    EXPECT_NE(cache.texture(kName), 0u);
    EXPECT_EQ(cache.loadAttempts(), 2);
}

TEST_F(TextureCacheTest, MeshesOfOneTextureShareTheRenderersEntry) {
    MaterialRecord record;
    record.name = "test";
    record.textureName = kName;
    Material a, b;
    a.record = b.record = &record;
    a.mapping = b.mapping = mapping::kHorizontal;
    const int before = gl().textureCache().size();
    Extrusion e;
    e.height = 1;
    gl().beginFrame();
    gl().beginList();
    gl().extrudedPolygon(rectangle(0, 0, 1, 1), e, &a, 0);
    gl().extrudedPolygon(rectangle(2, 0, 3, 1), e, &b, 0);
    auto list = gl().endList();
    gl().endFrame();
    a.record = b.record = nullptr;
    auto& group = dynamic_cast<MeshGroup&>(*list);
    const GLuint t0 = dynamic_cast<Mesh&>(group.entry(0)).texture;
    EXPECT_NE(t0, 0u);
    EXPECT_EQ(dynamic_cast<Mesh&>(group.entry(1)).texture, t0);
    EXPECT_EQ(gl().textureCache().size(), before + 1);
}

TEST_F(TextureCacheTest, MappingNoneLeavesTheMeshUntextured) {
    MaterialRecord record;
    record.name = "test";
    record.textureName = kName;
    Material m;
    m.record = &record;
    m.mapping = 0;
    Extrusion e;
    e.height = 1;
    gl().beginFrame();
    gl().beginList();
    gl().extrudedPolygon(rectangle(0, 0, 1, 1), e, &m, 0);
    auto list = gl().endList();
    gl().endFrame();
    m.record = nullptr;
    EXPECT_EQ(dynamic_cast<Mesh&>(*list).texture, 0u);
}

TEST_F(TextureCacheTest, DamagedPictureLeavesTheMaterialUntexturedAndIsSaidOnce) {
    const std::string name = "calli_test_damaged.jpg";
    {
        const unsigned char damaged[] = {0xff, 0xd8, 0xff, 0xc4, 0xa0, 0xff, 0x00, 0xc0, 0x69};
        std::ofstream(folder_ / name, std::ios::binary).write(reinterpret_cast<const char*>(damaged), sizeof damaged);
    }
    TextureCache cache;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(cache.texture(name.c_str()), 0u);
    EXPECT_EQ(cache.texture(name.c_str()), 0u);
    const std::string said = ::testing::internal::GetCapturedStderr();
    std::filesystem::remove(folder_ / name);
    EXPECT_EQ(cache.size(), 0);
    EXPECT_EQ(cache.loadAttempts(), 2);
    // One line, naming the file, for both attempts.
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(name + " left untextured: damaged JPEG"), std::string::npos) << said;
    // The good picture beside it still loads.
    EXPECT_NE(cache.texture(kName), 0u);
}
