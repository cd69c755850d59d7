#pragma once
// Decodes the picture files a user may replace (material textures, the
// skybox): JPEG through libjpeg-turbo, PNG through libpng, Windows bitmaps
// through SDL. A damaged, truncated or absurdly large file is refused with a
// reason; it never reads or writes outside its buffers. Needs no GL.
#include <cstdint>
#include <string>
#include <vector>

class ImageDecoder {
public:
    // Larger sides are refused before any pixel memory is asked for.
    static constexpr int kMaxSide = 16384;
    static constexpr int64_t kMaxPixels = 64LL * 1024 * 1024;

    struct Image {
        int width = 0, height = 0;
        std::vector<uint8_t> rgba;  // width * height * 4 bytes, top row first
    };

    // The file as RGBA; false (image empty, error() says why) when it is
    // missing, of an unknown kind, damaged or too large.
    bool decode(const char* path, Image& image);
    const std::string& error() const { return error_; }

private:
    bool decodeJpeg(const std::vector<uint8_t>& bytes, Image& image);
    bool decodePng(const std::vector<uint8_t>& bytes, Image& image);
    bool decodeBmp(const std::vector<uint8_t>& bytes, Image& image);
    bool fail(const std::string& why, Image& image);
    bool sizeAllowed(int64_t width, int64_t height);

    std::string error_;
};
