#include "renderer/TextureCache.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "renderer/ImageDecoder.h"

namespace {

// Damage is said once per file: a failed texture is tried again at every use.
void reportDamage(const char* path, const std::string& why) {
    static std::set<std::string> reported;
    if (!reported.insert(path).second)
        return;
    std::fprintf(stderr, "callimora: texture %s left untextured: %s\n", path, why.c_str());
}

}  // namespace

GlTexture loadTexture(const char* path, int* width, int* height) {
    ImageDecoder decoder;
    ImageDecoder::Image image;
    if (!decoder.decode(path, image)) {
        std::error_code ignored;
        // A missing file is no damage: it is said nowhere, as before.
        if (path && std::filesystem::exists(path, ignored))
            reportDamage(path, decoder.error());
        return {};
    }
    // Loading must not change what is bound for drawing.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GlTexture texture(genTexture());
    glBindTexture(GL_TEXTURE_2D, texture.id());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.rgba.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    if (width)
        *width = image.width;
    if (height)
        *height = image.height;
    return texture;
}

GLuint TextureCache::texture(const char* name) {
    if (!name || !*name)
        return 0;
    for (const Entry& entry : entries_)
        if (entry.name == name)
            return entry.texture.id();
    ++loadAttempts_;
    GlTexture loaded = loadTexture((std::string(kFolder) + name).c_str());
    if (!loaded)
        return 0;
    entries_.push_back({name, std::move(loaded)});
    return entries_.back().texture.id();
}
