#pragma once
// What an export gathers before it is written: the triangles of each
// material (a name and a texture) in world coordinates, and the models placed
// many times, once each with all their placements. The triangles are kept in
// chunks of fixed size, so that a quarter is held once, without the copies a
// growing array makes, and each chunk can be freed as soon as it is written.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "renderer/MeshCollector.h"

class GltfScene {
public:
    static constexpr size_t kChunk = size_t(1) << 16;  // vertices or indices per chunk

    // Vertices and triangles of one material, or of one mesh of a model.
    struct Triangles {
        std::vector<std::vector<Vertex>> vertexChunks;   // unit normals
        std::vector<std::vector<uint32_t>> indexChunks;  // into the vertices, three per triangle
        size_t vertexCount = 0, indexCount = 0;
        Vector lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
        // Appends a piece's triangles (vertices as they are, normals made
        // unit); without normals, corners alike but for their normals are one.
        void append(const MeshCollector::Piece& piece, bool normals);
        void release();
    };
    struct Material {
        std::string name;         // the bound record's name; empty when unbound
        std::string textureName;  // empty: untextured
        double colour[3] = {0, 0, 0};  // sum of the meshes' colours
        long meshes = 0;
        Triangles triangles;      // world coordinates
    };
    // A model with its material, kept once, and where it stands.
    struct Prototype {
        std::vector<int> materials;         // per mesh of the model
        std::vector<Triangles> meshes;      // the model's own coordinates
        std::vector<Matrix44> placements;   // world from the model's coordinates
        Vector lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};  // of the meshes
    };

    // Whether the normals are kept (flat normals are made again by a reader
    // that finds none).
    bool normals = true;

    // Takes a piece in world coordinates.
    void add(const MeshCollector::Piece& piece);
    // Takes one placement of a model, with the meshes made of it in its own coordinates.
    void addInstance(const MeshCollector::Instance& instance, const std::vector<MeshCollector::Piece>& meshes);

    bool empty() const;
    // Triangles as drawn: each placement of a model counts its own.
    long triangles() const;
    long placements() const;

    std::vector<Material> materials;  // in order of first appearance
    std::vector<Prototype> prototypes;
    // World bounds of everything, placed models included.
    Vector lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};

private:
    int materialOf(const MeshCollector::Piece& piece);
    std::map<std::pair<std::string, std::string>, int> materialIndex_;
    // Model name, material, texture and texture factors: what makes placements alike.
    std::map<std::tuple<std::string, std::string, std::string, float, float>, int> prototypeIndex_;
};
