#include "renderer/ImpostorTexturePool.h"

#include <cstddef>

GlTexture ImpostorTexturePool::take(int width, int height) {
    // The last kept first: the most recently used is likeliest still resident.
    for (std::size_t i = kept_.size(); i-- > 0;)
        if (kept_[i].width == width && kept_[i].height == height) {
            GlTexture texture = std::move(kept_[i].texture);
            kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(i));
            ++reused;
            return texture;
        }
    return GlTexture();
}

void ImpostorTexturePool::give(int width, int height, GlTexture texture) {
    if (!texture || static_cast<int>(kept_.size()) >= kMaxKept)
        return;
    kept_.push_back({width, height, std::move(texture)});
}
