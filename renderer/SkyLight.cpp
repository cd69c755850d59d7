#include "renderer/SkyLight.h"

#include "renderer/ImageDecoder.h"

namespace {
// The skybox's top and bottom pictures.
constexpr const char* kSkyImage = "skybox_posy.jpg";
constexpr const char* kGroundImage = "skybox_negy.jpg";
}  // namespace

SkyLight SkyLight::fromMeans(const Vector& skyMean, const Vector& groundMean) {
    return {skyMean * kSkyStrength, groundMean * kGroundStrength};
}

bool SkyLight::meanColour(const std::string& path, Vector& mean) {
    mean = Vector();
    ImageDecoder decoder;
    ImageDecoder::Image image;
    if (!decoder.decode(path.c_str(), image) || image.rgba.empty())
        return false;
    // Sums per channel in 64 bits: the largest picture the decoder takes fits.
    long long sum[3] = {0, 0, 0};
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c)
            sum[c] += image.rgba[i + c];
    const double texels = static_cast<double>(image.rgba.size() / 4) * 255.0;
    mean = {static_cast<float>(static_cast<double>(sum[0]) / texels),
            static_cast<float>(static_cast<double>(sum[1]) / texels),
            static_cast<float>(static_cast<double>(sum[2]) / texels)};
    return true;
}

SkyLight SkyLight::fromFolder(const std::string& folder, bool* ok) {
    Vector skyMean, groundMean;
    const bool sky = meanColour(folder + kSkyImage, skyMean);
    const bool ground = meanColour(folder + kGroundImage, groundMean);
    if (ok)
        *ok = sky && ground;
    return fromMeans(skyMean, groundMean);
}

Vector SkyLight::at(const Vector& n) const {
    const float up = 0.5f + 0.5f * n.y;
    return ground + (sky - ground) * up;
}
