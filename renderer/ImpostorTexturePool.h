#pragma once
// Pictures of impostors that went, kept by size for the next impostor of the
// same size: making a texture costs the driver more than copying a frame
// rectangle into one that exists. Every texel is overwritten by the capture,
// so a reused texture shows nothing of its last picture.
#include <vector>

#include "renderer/GlObject.h"

class ImpostorTexturePool {
public:
    // Textures kept at most (each at most 128 x 128 RGBA, 64 KiB).
    static constexpr int kMaxKept = 256;

    // A kept texture of width x height texels, or an empty one.
    GlTexture take(int width, int height);
    // Keeps texture for reuse; deletes it when the pool is full.
    void give(int width, int height, GlTexture texture);
    int kept() const { return static_cast<int>(kept_.size()); }

    // Textures made new and taken from the pool, since construction.
    long made = 0;
    long reused = 0;

private:
    struct Kept {
        int width, height;
        GlTexture texture;  // owned
    };
    std::vector<Kept> kept_;
};
