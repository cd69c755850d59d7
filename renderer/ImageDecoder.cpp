#include "renderer/ImageDecoder.h"

#include <SDL.h>
#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Whole files are read at once: a texture larger than this is no texture.
constexpr std::streamoff kMaxFileBytes = 256LL * 1024 * 1024;

bool readFile(const char* path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxFileBytes)
        return false;
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)));
}

// libjpeg reports a fatal error by calling error_exit, which must not return:
// it jumps back to the decoding call with the message.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Warnings (a corrupt entropy segment, say) are damage too.
void jpegWarning(j_common_ptr info, int level) {
    if (level < 0)
        jpegErrorExit(info);
}

// Plain data only between setjmp and longjmp: the pixels go to `out`, which
// the caller owns. Returns 0 on success, else 1 with `why` filled.
int decodeJpegInto(const uint8_t* data, size_t size, int maxSide, int64_t maxPixels, std::vector<uint8_t>* out,
                   int* width, int* height, char* why, size_t whyLength) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegWarning;
    error.message[0] = 0;
    if (setjmp(error.jump)) {
        std::snprintf(why, whyLength, "damaged JPEG: %s", error.message);
        jpeg_destroy_decompress(&info);
        return 1;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > static_cast<unsigned>(maxSide) ||
        info.image_height > static_cast<unsigned>(maxSide) ||
        static_cast<int64_t>(info.image_width) * info.image_height > maxPixels) {
        std::snprintf(why, whyLength, "JPEG of %ux%u pixels is too large", info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return 1;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    out->resize(static_cast<size_t>(info.output_width) * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out->data() + static_cast<size_t>(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

}  // namespace

bool ImageDecoder::fail(const std::string& why, Image& image) {
    error_ = why;
    image = Image();
    return false;
}

bool ImageDecoder::sizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool ImageDecoder::decode(const char* path, Image& image) {
    error_.clear();
    image = Image();
    std::vector<uint8_t> bytes;
    if (!path || !readFile(path, bytes))
        return fail("cannot read the file", image);
    static const uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= sizeof kJpeg && std::memcmp(bytes.data(), kJpeg, sizeof kJpeg) == 0)
        return decodeJpeg(bytes, image);
    if (bytes.size() >= sizeof kPng && std::memcmp(bytes.data(), kPng, sizeof kPng) == 0)
        return decodePng(bytes, image);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return decodeBmp(bytes, image);
    return fail("not a JPEG, PNG or bitmap file", image);
}

bool ImageDecoder::decodeJpeg(const std::vector<uint8_t>& bytes, Image& image) {
    char why[JMSG_LENGTH_MAX + 64] = {0};
    if (decodeJpegInto(bytes.data(), bytes.size(), kMaxSide, kMaxPixels, &image.rgba, &image.width, &image.height,
                       why, sizeof why) != 0)
        return fail(why, image);
    return true;
}

bool ImageDecoder::decodePng(const std::vector<uint8_t>& bytes, Image& image) {
    // libpng's simplified interface keeps its error handling to itself.
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return fail(std::string("damaged PNG: ") + png.message, image);
    if (!sizeAllowed(png.width, png.height)) {
        png_image_free(&png);
        return fail("PNG of " + std::to_string(png.width) + "x" + std::to_string(png.height) + " pixels is too large",
                    image);
    }
    png.format = PNG_FORMAT_RGBA;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
        const std::string why = png.message;
        png_image_free(&png);
        return fail("damaged PNG: " + why, image);
    }
    return true;
}

bool ImageDecoder::decodeBmp(const std::vector<uint8_t>& bytes, Image& image) {
    // The size from the info header, before SDL asks for the surface's memory.
    if (bytes.size() < 26)
        return fail("damaged bitmap: too short", image);
    const auto le32 = [&](size_t at) {
        return static_cast<int32_t>(static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
                                    static_cast<uint32_t>(bytes[at + 2]) << 16 |
                                    static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    const int64_t headerWidth = le32(18), headerHeight = le32(22);
    if (!sizeAllowed(headerWidth < 0 ? -headerWidth : headerWidth, headerHeight < 0 ? -headerHeight : headerHeight))
        return fail("bitmap of " + std::to_string(headerWidth) + "x" + std::to_string(headerHeight) +
                        " pixels is too large or empty",
                    image);
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_Surface* loaded = source ? SDL_LoadBMP_RW(source, 1) : nullptr;
    if (!loaded)
        return fail(std::string("damaged bitmap: ") + SDL_GetError(), image);
    if (!sizeAllowed(loaded->w, loaded->h)) {
        SDL_FreeSurface(loaded);
        return fail("bitmap too large", image);
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (!rgba)
        return fail(std::string("bitmap: ") + SDL_GetError(), image);
    image.width = rgba->w;
    image.height = rgba->h;
    image.rgba.resize(static_cast<size_t>(rgba->w) * rgba->h * 4);
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; ++y)
        std::memcpy(image.rgba.data() + static_cast<size_t>(y) * rgba->w * 4,
                    static_cast<const uint8_t*>(rgba->pixels) + static_cast<size_t>(y) * rgba->pitch,
                    static_cast<size_t>(rgba->w) * 4);
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}
