#pragma once
// Writes what is generated under a description as a binary glTF 2.0 file
// (.glb): the triangles the renderer makes of it (the same tessellation, see
// MeshCollector), one mesh per material, a model placed many times kept once
// and placed by many nodes, each material with its colour and, when it has
// one, its texture embedded in the file (see GltfWriter for the frame and the
// two formats). Needs no GL context.
#include <functional>
#include <string>

#include "renderer/GltfWriter.h"

class Desc;

class GltfExporter {
public:
    struct Summary : GltfWriter::Summary {
        double ms = 0;  // collecting, encoding and writing
    };

    GltfFormat format = GltfFormat::Compact;
    // Texture files are read from this folder ("../data/Bitmaps/" as the renderer reads them).
    std::string textureFolder = "../data/Bitmaps/";

    // Exports the geometry generated under desc (in the world where desc
    // lives). False with error() when nothing is generated there or the file
    // cannot be written.
    bool exportSubtree(Desc& desc, const std::string& path);
    // Exports what desc grows into: every description is handed to grow
    // before its geometry is taken and its children are released right after,
    // so that only one branch of the tree lives at a time. A description's
    // children must depend on nothing but their ancestors.
    bool exportGrowing(Desc& desc, const std::string& path, const std::function<void(Desc&)>& grow);

    const Summary& summary() const { return summary_; }
    const std::string& error() const { return error_; }

private:
    bool run(Desc& desc, const std::string& path, const std::function<void(Desc&)>* grow);
    Summary summary_;
    std::string error_;
};
