#pragma once
// Floating-point RGB pictures painted by the data generator, and their
// encoding to memory (so a file is rewritten only when its bytes change).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }
inline float luminance(Rgb c) { return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b; }

// width × height texels, row 0 at the top of the picture (texture v = 0).
class Image {
public:
    Image() = default;
    Image(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return texels_[size_t(y) * width_ + x]; }
    const Rgb& at(int x, int y) const { return texels_[size_t(y) * width_ + x]; }
    // Nearest texel to texture coordinate (s, t), clamped to the picture.
    const Rgb& sample(float s, float t) const;

    // Sets every texel to paint(s, t) at its centre, s = (x + 0.5) / width.
    void paint(const std::function<Rgb(float s, float t)>& paint);
    // Mean colour after clamping to [0, 1].
    Rgb mean() const;

    std::vector<uint8_t> encodeJpeg(int quality) const;
    std::vector<uint8_t> encodePng() const;
    // Decodes a JPEG, PNG or BMP file; false (and `out` untouched) when it cannot.
    static bool load(const std::string& path, Image& out);

private:
    std::vector<uint8_t> bytes() const;

    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> texels_;
};
