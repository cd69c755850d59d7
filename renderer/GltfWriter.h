#pragma once
// Writes a gathered scene as one binary glTF 2.0 file (.glb): one mesh per
// material, one mesh per placed model with one node per placement, each
// material with its colour and its texture embedded. Material by material,
// the scene's triangles are encoded and freed, so the file's data is never
// held beside all of the triangles it was made of.
//
// glTF counts in a right-handed frame: the town's z axis is mirrored, which
// keeps every face seen from the side the renderer shows. The vertices are
// stored relative to the middle of the exported bounds; the root node's
// translation puts them back at their world place (metres).
#include <string>

#include "renderer/GltfScene.h"

enum class GltfFormat {
    Compact,  // KHR_mesh_quantization and EXT_meshopt_compression, both required
    Plain,    // no extension: floats and 32-bit indices
};

// "compact" / "plain"; false for any other name.
bool parseGltfFormat(const std::string& name, GltfFormat& format);
const char* gltfFormatName(GltfFormat format);

class GltfWriter {
public:
    struct Summary {
        long triangles = 0;  // as drawn: every placement of a model counts its own
        int meshes = 0;      // one per material, one per model kept once
        int textures = 0;    // embedded pictures
        long placements = 0; // nodes that place a model
        long bytes = 0;      // file size
        float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};  // world bounds of what was written
    };

    GltfFormat format = GltfFormat::Compact;
    // Texture files are read from this folder.
    std::string textureFolder = "../data/Bitmaps/";

    // Writes the scene and empties it. The file appears whole or not at all.
    // False with error() when the scene is empty or the file cannot be written.
    bool write(GltfScene& scene, const std::string& path);

    const Summary& summary() const { return summary_; }
    const std::string& error() const { return error_; }

private:
    Summary summary_;
    std::string error_;
};
