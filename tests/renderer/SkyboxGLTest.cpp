// The skybox: six pictures around the camera behind everything else, and the
// face whose picture is missing drawn with the texture set before it.
#include <gtest/gtest.h>

#include <stb/stb_image_write.h>

#include <filesystem>

#include "renderer/Skybox.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

// Face colours in face order +z, +x, -z, -x, -y, +y.
const Rgb kColours[Skybox::kFaces] = {{200, 30, 30},  {30, 200, 30},   {30, 30, 200},
                                      {200, 200, 30}, {30, 200, 200}, {200, 30, 200}};

class SkyboxTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() / "calli_skybox_test";
        std::filesystem::create_directories(folder_);
        for (int face = 0; face < Skybox::kFaces; ++face) {
            std::vector<uint8_t> pixels(16 * 16 * 3);
            for (size_t i = 0; i < pixels.size(); i += 3) {
                pixels[i] = static_cast<uint8_t>(kColours[face].r);
                pixels[i + 1] = static_cast<uint8_t>(kColours[face].g);
                pixels[i + 2] = static_cast<uint8_t>(kColours[face].b);
            }
            const auto path = folder_ / Skybox::kImageNames[face];
            ASSERT_NE(stbi_write_jpg(path.c_str(), 16, 16, 3, pixels.data(), 95), 0);
        }
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string folder() const { return folder_.string() + "/"; }

    // The whole frame when looking from the origin towards direction.
    Frame look(Skybox& sky, const Vector& direction, const Vector& up = {0, 1, 0}) {
        // Anywhere: the sky moves with the camera.
        const Vector eye(300, -20, 4000);
        lookAt(eye, eye + direction, up);
        gl().beginFrame();
        sky.draw(gl());
        gl().endFrame();
        return grab();
    }

    std::filesystem::path folder_;
};

bool near(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= 12 && std::abs(a.g - b.g) <= 12 && std::abs(a.b - b.b) <= 12;
}

// Every pixel shows the colour.
void expectFilled(const Frame& f, const Rgb& colour, const char* what) {
    int wrong = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            wrong += !near(f.at(x, y), colour);
    EXPECT_EQ(wrong, 0) << what << ": centre " << f.at(f.width / 2, f.height / 2) << ", expected " << colour;
}

}  // namespace

TEST_F(SkyboxTest, FacesFollowTheTableAndFillTheBackground) {
    Skybox sky;
    sky.build(gl(), folder().c_str());
    for (int face = 0; face < Skybox::kFaces; ++face)
        ASSERT_NE(sky.texture(face), 0u) << face;
    // Head-on, a 45-degree view sees one face only.
    expectFilled(look(sky, {0, 0, 1}), kColours[0], "+z");
    expectFilled(look(sky, {1, 0, 0}), kColours[1], "+x");
    expectFilled(look(sky, {0, 0, -1}), kColours[2], "-z");
    expectFilled(look(sky, {-1, 0, 0}), kColours[3], "-x");
    expectFilled(look(sky, {0, -1, 0}, {0, 0, 1}), kColours[4], "-y");
    expectFilled(look(sky, {0, 1, 0}, {0, 0, 1}), kColours[5], "+y");
}

TEST_F(SkyboxTest, GeometryDrawnLaterCoversIt) {
    Skybox sky;
    sky.build(gl(), folder().c_str());
    ColourMaterial white(1, 1, 1);
    lookAt({0, 0, -10}, {0, 0, 0});
    gl().beginFrame();
    sky.draw(gl());
    Extrusion e;
    e.level = -1;
    e.height = 2;
    gl().extrudedPolygon(rectangle(-1, -1, 1, 1), e, &white.material, 0);
    gl().endFrame();
    const Frame f = grab();
    EXPECT_GE(f.at(kSize / 2, kSize / 2).grey(), 250);
    EXPECT_TRUE(near(f.at(2, 2), kColours[0])) << f.at(2, 2);
}

TEST_F(SkyboxTest, MissingDownImageUsesTheTextureSetBeforeIt) {
    std::filesystem::remove(folder_ / Skybox::kImageNames[4]);
    Skybox sky;
    sky.build(gl(), folder().c_str());
    EXPECT_EQ(sky.texture(4), 0u);
    // The -y face comes right after the -x face.
    expectFilled(look(sky, {0, -1, 0}, {0, 0, 1}), kColours[3], "-y without its picture");
}

TEST_F(SkyboxTest, DataSetImagesLoad) {
    if (!std::filesystem::exists(std::string(Skybox::kFolder) + Skybox::kImageNames[0]))
        GTEST_SKIP() << "no data set";
    Skybox sky;
    sky.build(gl());
    for (int face = 0; face < Skybox::kFaces; ++face)
        EXPECT_NE(sky.texture(face), 0u) << Skybox::kImageNames[face];
    const Frame f = look(sky, {0, 0, 1});
    int lit = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            lit += !f.at(x, y).black();
    EXPECT_EQ(lit, f.width * f.height);
}
