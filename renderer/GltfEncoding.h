#pragma once
// How one mesh's triangles become glTF buffer data, in either form:
// - plain: float positions, normals and texture coordinates, 32-bit indices,
//   what every glTF reader loads;
// - compact: positions quantised to 16-bit integers on a uniform grid (the
//   node's scale and translation put them back), normals as 8-bit octahedral
//   pairs, texture coordinates with a shared exponent, vertices and triangles
//   reordered for the GPU's caches and compressed by meshoptimizer's codecs,
//   as KHR_mesh_quantization and EXT_meshopt_compression store them.
// Both consume the triangles' chunks as they go.
#include <cstdint>
#include <string>
#include <vector>

#include "renderer/GltfScene.h"

namespace gltfEncoding {

// Into glTF's right-handed frame: z mirrored, around an origin (world metres).
struct Frame {
    Vector origin;
    Vector position(const Vertex& v) const { return {v.x - origin.x, v.y - origin.y, -(v.z - origin.z)}; }
    // The bounds of lo..hi in this frame.
    void bounds(const Vector& lo, const Vector& hi, Vector& outLo, Vector& outHi) const;
};

// A glTF position is origin + q * step for the stored integers q.
struct Grid {
    Vector origin;
    float step = 1;
};
// The uniform 16-bit grid over lo..hi (glTF coordinates). Uniform, so that
// the node's scale leaves normals as they are.
Grid gridOver(const Vector& lo, const Vector& hi);

struct Stream {
    std::vector<unsigned char> bytes;  // as stored (compressed in compact form)
    size_t decodedLength = 0;          // bytes once decoded
    int stride = 0;
    size_t count = 0;                  // elements (vertices or indices)
    std::string mode;                  // compact only: "ATTRIBUTES" or "TRIANGLES"
    std::string filter;                // compact only: "NONE", "OCTAHEDRAL", "EXPONENTIAL"
};

struct Encoded {
    Stream position, normal, texcoord, index;  // texcoord empty when untextured
    size_t vertexCount = 0, indexCount = 0;
    int indexComponent = 0;                     // glTF component type of the indices
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};  // of the stored positions
};

Encoded encodePlain(GltfScene::Triangles& triangles, const Frame& frame, bool textured);
Encoded encodeCompact(GltfScene::Triangles& triangles, const Frame& frame, const Grid& grid, bool textured);

}  // namespace gltfEncoding
