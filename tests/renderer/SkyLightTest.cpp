// The sky light's colours: the mean colours of the skybox's top and bottom
// pictures, scaled, and the hemisphere between them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <stb/stb_image_write.h>

#include <filesystem>

#include "renderer/SkyLight.h"

namespace {

std::filesystem::path tempFolder() {
    auto folder = std::filesystem::temp_directory_path() / ("calli_skylight_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

TEST(SkyLight, MeanColourOfAPicture) {
    const auto folder = tempFolder();
    // Left half (255, 0, 0), right half (0, 0, 102): mean (0.5, 0, 0.2).
    std::vector<uint8_t> pixels(4 * 2 * 3, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = &pixels[(y * 4 + x) * 3];
            if (x < 2)
                p[0] = 255;
            else
                p[2] = 102;
        }
    const auto path = folder / "two.png";
    ASSERT_NE(stbi_write_png(path.c_str(), 4, 2, 3, pixels.data(), 4 * 3), 0);
    Vector mean;
    ASSERT_TRUE(SkyLight::meanColour(path.string(), mean));
    EXPECT_NEAR(mean.x, 0.5f, 1e-6f);
    EXPECT_EQ(mean.y, 0.0f);
    EXPECT_NEAR(mean.z, 0.2f, 1e-6f);

    // Missing or damaged: black, and said.
    EXPECT_FALSE(SkyLight::meanColour((folder / "none.png").string(), mean));
    EXPECT_EQ(mean, Vector());
    const auto damaged = folder / "damaged.png";
    std::filesystem::copy_file(path, damaged);
    std::filesystem::resize_file(damaged, 20);
    EXPECT_FALSE(SkyLight::meanColour(damaged.string(), mean));
    EXPECT_EQ(mean, Vector());
    std::filesystem::remove_all(folder);
}

TEST(SkyLight, FolderWithoutPicturesGivesNoLight) {
    bool ok = true;
    const SkyLight none = SkyLight::fromFolder("/nonexistent/folder/", &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(none.sky, Vector());
    EXPECT_EQ(none.ground, Vector());
    for (const Vector& n : {Vector(0, 1, 0), Vector(1, 0, 0), Vector(0, -1, 0)})
        EXPECT_EQ(none.at(n), Vector());
}

TEST(SkyLight, HemisphereRunsFromGroundToSky) {
    const SkyLight light = SkyLight::fromMeans({0.4f, 0.6f, 1.0f}, {0.5f, 0.4f, 0.2f});
    EXPECT_EQ(light.sky, Vector(0.4f, 0.6f, 1.0f) * SkyLight::kSkyStrength);
    EXPECT_EQ(light.ground, Vector(0.5f, 0.4f, 0.2f) * SkyLight::kGroundStrength);
    EXPECT_EQ(light.at({0, 1, 0}), light.sky);
    EXPECT_EQ(light.at({0, -1, 0}), light.ground);
    // A wall gets the mean of the two; light grows steadily towards the zenith.
    const Vector wall = light.at({1, 0, 0});
    EXPECT_NEAR(wall.z, 0.5f * (light.sky.z + light.ground.z), 1e-6f);
    float previous = -1;
    for (float y = -1; y <= 1.0f; y += 0.125f) {
        const Vector v = light.at({0, y, 0});
        const float sum = v.x + v.y + v.z;
        EXPECT_GT(sum, previous) << y;
        previous = sum;
    }
}

TEST(SkyLight, DataSetSkyIsBlueAboveAndDimBelow) {
    // Run from bin/, beside the data directory.
    bool ok = false;
    const SkyLight light = SkyLight::fromFolder("../data/Bitmaps/", &ok);
    ASSERT_TRUE(ok) << "the skybox pictures of ../data/Bitmaps/ do not decode";
    EXPECT_GT(light.sky.z, light.sky.x);
    const float sky = light.sky.x + light.sky.y + light.sky.z;
    const float ground = light.ground.x + light.ground.y + light.ground.z;
    EXPECT_GT(sky, 2 * ground);
    EXPECT_GT(ground, 0.0f);
    // A shaded wall ends well above the classic 12.5 % grey, below full sun.
    const Vector wall = light.at({1, 0, 0});
    EXPECT_GT((wall.x + wall.y + wall.z) / 3, 0.1f);
    EXPECT_LT((wall.x + wall.y + wall.z) / 3, 0.5f);
}
