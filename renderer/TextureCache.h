#pragma once
// Material textures by name. A texture is loaded from "../data/Bitmaps/<name>"
// the first time a mesh asks for it and kept until the cache is cleared (a
// resize of the renderer, or its end); meshes hold its GL name without owning
// it. A file that does not load is not remembered, so it is tried again at
// the next request.
#include <string>
#include <vector>

#include "renderer/GlObject.h"

// Decodes a JPEG, BMP or PNG file into a new RGBA texture with a full mip
// chain; an empty texture when the file is missing, damaged or too large.
// width and height, when given, receive the image size. A file that exists
// but does not decode is said once, on one line of the log (stderr). Needs a
// current GL context.
GlTexture loadTexture(const char* path, int* width = nullptr, int* height = nullptr);

class TextureCache {
public:
    static constexpr const char* kFolder = "../data/Bitmaps/";

    // The texture named name (exact, case-sensitive; the first entry wins),
    // loading it on a miss; 0 when it cannot be loaded.
    GLuint texture(const char* name);
    // Releases every texture (their names in recorded meshes become stale).
    void clear() { entries_.clear(); }
    int size() const { return static_cast<int>(entries_.size()); }
    // File loads attempted so far, failed ones included.
    int loadAttempts() const { return loadAttempts_; }

private:
    struct Entry {
        std::string name;
        GlTexture texture;  // owned
    };
    std::vector<Entry> entries_;
    int loadAttempts_ = 0;
};
