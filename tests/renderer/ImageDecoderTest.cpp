// The picture decoder on good files and on damaged ones: every damaged file is
// refused with a reason, never read or written past its buffers (the address
// sanitizer run checks the latter), and a huge size is refused before any
// pixel memory is asked for.
#include "renderer/ImageDecoder.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ImageDecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("calli-images-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        // A 24 x 16 picture: red rising to the right, green downwards.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                rgb_.push_back(static_cast<uint8_t>(x * 10));
                rgb_.push_back(static_cast<uint8_t>(y * 15));
                rgb_.push_back(128);
            }
        ASSERT_NE(stbi_write_jpg(path("good.jpg").c_str(), kWidth, kHeight, 3, rgb_.data(), 95), 0);
        ASSERT_NE(stbi_write_png(path("good.png").c_str(), kWidth, kHeight, 3, rgb_.data(), kWidth * 3), 0);
        ASSERT_NE(stbi_write_bmp(path("good.bmp").c_str(), kWidth, kHeight, 3, rgb_.data()), 0);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const char* name) const { return (folder_ / name).string(); }
    std::string write(const char* name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    // Decodes and requires a refusal with a reason.
    void expectRefused(const std::string& file, const std::string& what) {
        ImageDecoder decoder;
        ImageDecoder::Image image;
        image.width = 7;
        EXPECT_FALSE(decoder.decode(file.c_str(), image)) << what;
        EXPECT_FALSE(decoder.error().empty()) << what;
        EXPECT_EQ(image.width, 0) << what;
        EXPECT_TRUE(image.rgba.empty()) << what;
    }

    static constexpr int kWidth = 24, kHeight = 16;
    fs::path folder_;
    std::vector<uint8_t> rgb_;
};

}  // namespace

TEST_F(ImageDecoderTest, GoodFilesOfEveryKindDecodeToTheirPixels) {
    for (const char* name : {"good.jpg", "good.png", "good.bmp"}) {
        ImageDecoder decoder;
        ImageDecoder::Image image;
        ASSERT_TRUE(decoder.decode(path(name).c_str(), image)) << name << ": " << decoder.error();
        ASSERT_EQ(image.width, kWidth) << name;
        ASSERT_EQ(image.height, kHeight) << name;
        ASSERT_EQ(image.rgba.size(), static_cast<size_t>(kWidth * kHeight * 4)) << name;
        // JPEG is lossy: within a few steps; the others exact.
        const int tolerance = std::string(name).ends_with(".jpg") ? 12 : 0;
        for (int i = 0; i < kWidth * kHeight; ++i) {
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(image.rgba[4 * i + c], rgb_[3 * i + c], tolerance) << name << " texel " << i;
            ASSERT_EQ(image.rgba[4 * i + 3], 255) << name;
        }
    }
}

TEST_F(ImageDecoderTest, DamagedFilesFromTheFieldAreRefused) {
    // A 9-byte JPEG whose Huffman table indexes far past its table.
    expectRefused(write("huffman.jpg", {0xff, 0xd8, 0xff, 0xc4, 0xa0, 0xff, 0x00, 0xc0, 0x69}), "huffman.jpg");
    // A valid PNG header claiming 16384 x 32768 RGBA pixels (2 GiB).
    expectRefused(write("huge.png", {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d,
                                     0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x80, 0x00,
                                     0x08, 0x06, 0x00, 0x00, 0x00, 0x65, 0xd5, 0x8f, 0x0f, 0x00, 0x00, 0x00,
                                     0x0c, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0xa0, 0x0c, 0x00,
                                     0x00, 0x00, 0x40, 0x00, 0x01, 0xb7, 0x34, 0x7c, 0xef, 0x00, 0x00, 0x00,
                                     0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82}),
                  "huge.png");
    // A bitmap header claiming 100000 x 100000 pixels.
    std::vector<uint8_t> bmp = readBytes(path("good.bmp"));
    ASSERT_GT(bmp.size(), 26u);
    bmp[18] = 0xa0, bmp[19] = 0x86, bmp[20] = 0x01, bmp[21] = 0x00;
    bmp[22] = 0xa0, bmp[23] = 0x86, bmp[24] = 0x01, bmp[25] = 0x00;
    expectRefused(write("huge.bmp", bmp), "huge.bmp");
    expectRefused(write("empty.jpg", {}), "empty.jpg");
    expectRefused(write("text.png", {'h', 'e', 'l', 'l', 'o'}), "text.png");
    expectRefused(path("missing.jpg"), "missing.jpg");
    expectRefused(folder_.string(), "a folder");
}

// Every truncation and a few hundred changes of up to four bytes of good files:
// each either decodes to a whole picture of a sane size or is refused.
TEST_F(ImageDecoderTest, TruncatedAndCorruptedFilesNeverDecodeOutOfBounds) {
    unsigned state = 12345;
    const auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (const char* name : {"good.jpg", "good.png", "good.bmp"}) {
        const std::vector<uint8_t> good = readBytes(path(name));
        ASSERT_FALSE(good.empty());
        int refused = 0, decoded = 0;
        const auto check = [&](const std::vector<uint8_t>& bytes) {
            const std::string file = write("damaged", bytes);
            ImageDecoder decoder;
            ImageDecoder::Image image;
            if (decoder.decode(file.c_str(), image)) {
                ++decoded;
                ASSERT_GT(image.width, 0);
                ASSERT_LE(image.width, ImageDecoder::kMaxSide);
                ASSERT_EQ(image.rgba.size(), static_cast<size_t>(image.width) * image.height * 4);
            } else {
                ++refused;
                ASSERT_FALSE(decoder.error().empty());
            }
        };
        for (size_t length = 0; length < good.size(); length += 1 + length / 16)
            check(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        for (int k = 0; k < 150; ++k) {
            std::vector<uint8_t> bytes = good;
            const int changes = 1 + static_cast<int>(next() % 4);
            for (int c = 0; c < changes; ++c)
                bytes[next() % bytes.size()] = static_cast<uint8_t>(next());
            check(bytes);
        }
        EXPECT_GT(refused, 0) << name;
        EXPECT_GT(decoded, 0) << name;
    }
}
