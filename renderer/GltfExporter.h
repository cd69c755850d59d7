#pragma once
// Writes what is generated under a description as a binary glTF 2.0 file
// (.glb): the triangles the renderer makes of it (the same tessellation, see
// MeshCollector), one mesh per material, each material with its colour and,
// when it has one, its texture embedded in the file. glTF counts in a
// right-handed frame: the town's z axis is mirrored, which keeps every face
// seen from the side the renderer shows. The vertices are stored relative to
// the middle of the exported bounds; the root node's translation puts them
// back at their world place (metres). Needs no GL context.
#include <string>
#include <vector>

#include "renderer/MeshCollector.h"

class Desc;

class GltfExporter {
public:
    struct Summary {
        long triangles = 0;
        int meshes = 0;     // one per material
        int textures = 0;   // embedded pictures
        long bytes = 0;     // file size
        double ms = 0;      // collecting, encoding and writing
    };

    // Texture files are read from this folder ("../data/Bitmaps/" as the renderer reads them).
    std::string textureFolder = "../data/Bitmaps/";

    // Exports the geometry under desc (in the world where desc lives). False
    // with error() when nothing is generated there or the file cannot be written.
    bool exportSubtree(Desc& desc, const std::string& path);
    // Writes pieces as they are.
    bool write(const std::vector<MeshCollector::Piece>& pieces, const std::string& path);

    const Summary& summary() const { return summary_; }
    const std::string& error() const { return error_; }

private:
    Summary summary_;
    std::string error_;
};
