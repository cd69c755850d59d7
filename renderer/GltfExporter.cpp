#include "renderer/GltfExporter.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/Desc.h"
#include "renderer/GltfScene.h"
#include "renderer/MeshCollector.h"

bool GltfExporter::exportSubtree(Desc& desc, const std::string& path) { return run(desc, path, nullptr); }

bool GltfExporter::exportGrowing(Desc& desc, const std::string& path, const std::function<void(Desc&)>& grow) {
    return run(desc, path, &grow);
}

bool GltfExporter::run(Desc& desc, const std::string& path, const std::function<void(Desc&)>* grow) {
    const auto start = std::chrono::steady_clock::now();
    summary_ = {};
    error_.clear();
    // A file that cannot be written is refused before anything is grown or collected.
    const std::string part = path + ".part";
    {
        std::ofstream probe(part, std::ios::binary | std::ios::trunc);
        if (!probe) {
            error_ = "cannot write " + path;
            return false;
        }
    }
    std::error_code ec;
    GltfScene scene;
    scene.normals = format == GltfFormat::Plain;
    MeshCollector collector;
    collector.sink = [&scene](MeshCollector::Piece& piece) { scene.add(piece); };
    collector.instances = [&scene](const MeshCollector::Instance& instance,
                                   std::vector<MeshCollector::Piece>& meshes) { scene.addInstance(instance, meshes); };
    if (grow) {
        collector.enter = [grow](Desc& d, const Matrix44&) {
            (*grow)(d);
            return true;
        };
        // desc's own children stay: the caller grew it and keeps it as it was.
        collector.leave = [&desc](Desc& d) {
            if (&d != &desc)
                d.releaseChildren();
        };
    }
    Matrix44 above = Matrix44::identity();
    if (desc.parent)
        above = worldFrameOf(*desc.parent);
    collector.collect(desc, above);
    if (scene.empty()) {
        std::filesystem::remove(part, ec);
        error_ = "nothing is generated there";
        return false;
    }
    GltfWriter writer;
    writer.format = format;
    writer.textureFolder = textureFolder;
    if (!writer.write(scene, path)) {
        error_ = writer.error();
        return false;
    }
    static_cast<GltfWriter::Summary&>(summary_) = writer.summary();
    summary_.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return true;
}
