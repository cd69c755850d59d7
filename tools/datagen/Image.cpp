#include "tools/datagen/Image.h"

#include "core/Assert.h"

#include <algorithm>
#include <cmath>
#include <stb/stb_image_write.h>

#include "renderer/ImageDecoder.h"

Image::Image(int width, int height) : width_(width), height_(height), texels_(size_t(width) * height) {
    CALLI_ASSERT(width > 0 && height > 0);
}

const Rgb& Image::sample(float s, float t) const {
    int x = std::clamp(int(std::floor(s * width_)), 0, width_ - 1);
    int y = std::clamp(int(std::floor(t * height_)), 0, height_ - 1);
    return at(x, y);
}

void Image::paint(const std::function<Rgb(float, float)>& paint) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            at(x, y) = paint((x + 0.5f) / width_, (y + 0.5f) / height_);
}

Rgb Image::mean() const {
    double r = 0, g = 0, b = 0;
    for (const Rgb& c : texels_) {
        r += std::clamp(c.r, 0.0f, 1.0f);
        g += std::clamp(c.g, 0.0f, 1.0f);
        b += std::clamp(c.b, 0.0f, 1.0f);
    }
    double n = double(texels_.size());
    return {float(r / n), float(g / n), float(b / n)};
}

std::vector<uint8_t> Image::bytes() const {
    std::vector<uint8_t> out;
    out.reserve(texels_.size() * 3);
    for (const Rgb& c : texels_)
        for (float v : {c.r, c.g, c.b})
            out.push_back(uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)));
    return out;
}

static void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::vector<uint8_t> Image::encodeJpeg(int quality) const {
    std::vector<uint8_t> out;
    std::vector<uint8_t> rgb = bytes();
    CALLI_ASSERT(stbi_write_jpg_to_func(appendBytes, &out, width_, height_, 3, rgb.data(), quality));
    return out;
}

std::vector<uint8_t> Image::encodePng() const {
    std::vector<uint8_t> out;
    std::vector<uint8_t> rgb = bytes();
    CALLI_ASSERT(stbi_write_png_to_func(appendBytes, &out, width_, height_, 3, rgb.data(), width_ * 3));
    return out;
}

bool Image::load(const std::string& path, Image& out) {
    ImageDecoder decoder;
    ImageDecoder::Image decoded;
    if (!decoder.decode(path.c_str(), decoded))
        return false;
    Image image(decoded.width, decoded.height);
    for (size_t i = 0; i < static_cast<size_t>(decoded.width) * decoded.height; ++i)
        image.texels_[i] = {decoded.rgba[4 * i] / 255.0f, decoded.rgba[4 * i + 1] / 255.0f,
                            decoded.rgba[4 * i + 2] / 255.0f};
    out = std::move(image);
    return true;
}
