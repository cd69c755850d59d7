// The sky light: a wall in the sun's shade is lit by the skybox's sky and
// ground colours, and with the switch off it is drawn exactly as under the
// classic light (sun and 0x202020 ambient only).
#include <gtest/gtest.h>
#include <unistd.h>

#include <stb/stb_image_write.h>

#include <filesystem>

#include "renderer/Skybox.h"
#include "tests/renderer/GlTestSupport.h"

using namespace gltest;

namespace {

// Top picture: a blue sky; bottom picture: brown ground; the sides grey.
const Rgb kSky{90, 140, 230}, kGround{120, 90, 60}, kSide{128, 128, 128};

class SkyLightTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() / ("calli_skylight_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        for (int face = 0; face < Skybox::kFaces; ++face) {
            const Rgb c = face == 5 ? kSky : face == 4 ? kGround : kSide;
            std::vector<uint8_t> pixels(8 * 8 * 3);
            for (size_t i = 0; i < pixels.size(); i += 3)
                pixels[i] = static_cast<uint8_t>(c.r), pixels[i + 1] = static_cast<uint8_t>(c.g),
                pixels[i + 2] = static_cast<uint8_t>(c.b);
            // PNG: the means are exact.
            const std::string name = std::string(Skybox::kImageNames[face]);
            const auto path = folder_ / (name.substr(0, name.size() - 4) + ".png");
            ASSERT_NE(stbi_write_png(path.c_str(), 8, 8, 3, pixels.data(), 8 * 3), 0);
            std::filesystem::rename(path, folder_ / name);
        }
        // Other tests may have built the data set's skybox on the shared renderer.
        gl().setSkyLightColours({});
        // The sun shines towards the camera: the wall facing it is in shade.
        gl().setLight({0, 0, -1});
    }
    void TearDown() override {
        gl().skyLight = false;
        gl().setSkyLightColours({});
        std::filesystem::remove_all(folder_);
    }

    // A grey box whose face at z = -1 faces the camera at (0, 0, -10).
    Frame drawWall() {
        ColourMaterial grey(0.8f, 0.8f, 0.8f);
        Extrusion e;
        e.level = -3;
        e.height = 6;
        gl().beginFrame();
        gl().extrudedPolygon(rectangle(-3, -1, 3, 1), e, &grey.material, 0);
        gl().endFrame();
        return grab();
    }

    std::filesystem::path folder_;
};

}  // namespace

TEST_F(SkyLightTest, ShadedWallIsLitByTheSkyAndClassicLightStaysAsBefore) {
    // Without a skybox's colours, so the switch changes nothing.
    gl().skyLight = true;
    const Frame bare = drawWall();
    gl().skyLight = false;
    const Frame classicBare = drawWall();
    EXPECT_EQ(bare.rgba, classicBare.rgba);
    // Classic: ambient 1 times 0x20, no sun on this face.
    const Rgb shade = classicBare.at(kSize / 2, kSize / 2);
    EXPECT_NEAR(shade.r, 32, 1) << shade;
    EXPECT_NEAR(shade.g, 32, 1) << shade;
    EXPECT_NEAR(shade.b, 32, 1) << shade;

    Skybox sky;
    sky.build(gl(), (folder_.string() + "/").c_str());
    const SkyLight& colours = gl().skyLightColours();
    EXPECT_NEAR(colours.sky.z, kSky.b / 255.0f * SkyLight::kSkyStrength, 1e-3f);
    EXPECT_NEAR(colours.ground.x, kGround.r / 255.0f * SkyLight::kGroundStrength, 1e-3f);

    gl().skyLight = true;
    const Frame lit = drawWall();
    gl().skyLight = false;
    const Frame classic = drawWall();
    // Off: exactly the classic picture, whatever colours the skybox handed over.
    EXPECT_EQ(classic.rgba, classicBare.rgba);

    // On: the vertical wall takes the mean of sky and ground on its diffuse colour.
    const Vector side = colours.at({0, 0, -1});
    const Rgb wall = lit.at(kSize / 2, kSize / 2);
    EXPECT_NEAR(wall.r, 32 + 255 * 0.8f * side.x, 2) << wall;
    EXPECT_NEAR(wall.g, 32 + 255 * 0.8f * side.y, 2) << wall;
    EXPECT_NEAR(wall.b, 32 + 255 * 0.8f * side.z, 2) << wall;
    EXPECT_GT(wall.grey(), 2 * shade.grey()) << wall;
    // The sky is blue, so the shade is bluish.
    EXPECT_GT(wall.b, wall.r) << wall;
    // Everywhere on the wall, and nothing else changes: the background stays black.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const Rgb before = classic.at(x, y), after = lit.at(x, y);
            if (before.black())
                EXPECT_TRUE(after.black()) << x << "," << y;
            else
                EXPECT_GT(after.grey(), before.grey() + 20) << x << "," << y;
        }
    sky.release();
}
