#include "renderer/TextureCache.h"

#include <stb/stb_image.h>


GlTexture loadTexture(const char* path, int* width, int* height) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load(path, &w, &h, &channels, 4);
    if (!pixels)
        return {};
    // Loading must not change what is bound for drawing.
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GlTexture texture(genTexture());
    glBindTexture(GL_TEXTURE_2D, texture.id());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    stbi_image_free(pixels);
    if (width)
        *width = w;
    if (height)
        *height = h;
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
