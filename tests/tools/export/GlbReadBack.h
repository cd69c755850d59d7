#pragma once
// Reads an exported glb back as a viewer would: through tinygltf, with the
// streams of EXT_meshopt_compression decoded by meshoptimizer and quantised
// positions put back by their nodes; then counts the triangles every node
// draws and bounds the vertices they use, in glTF's frame.
#include <array>
#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace readBack {

struct Scene {
    std::string error;  // empty when read
    bool compact = false;
    long triangles = 0;
    long nodesWithMesh = 0;
    std::array<double, 3> lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    tinygltf::Model model;
};

Scene read(const std::string& path);

}  // namespace readBack
