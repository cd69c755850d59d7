#include "renderer/GltfScene.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <tuple>

#include "core/Model.h"

namespace {

void grow(Vector& lo, Vector& hi, const Vector& p) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}


// Where each vertex goes when those alike in position and texture
// coordinates are one, in order of first appearance.
void weld(const std::vector<Vertex>& vertices, std::vector<uint32_t>& map) {
    const size_t n = vertices.size();
    // Bit patterns: exact, and a total order whatever the values.
    auto key = [&](uint32_t i) {
        const Vertex& v = vertices[i];
        return std::make_tuple(std::bit_cast<uint32_t>(v.x), std::bit_cast<uint32_t>(v.y),
                               std::bit_cast<uint32_t>(v.z), std::bit_cast<uint32_t>(v.u),
                               std::bit_cast<uint32_t>(v.v));
    };
    map.resize(n);
    uint32_t count = 0;
    // Most pieces are small prisms: comparing each corner with those kept is quickest.
    constexpr size_t kSmall = 64;
    if (n <= kSmall) {
        uint32_t kept[kSmall];
        for (uint32_t i = 0; i < n; ++i) {
            const auto k = key(i);
            uint32_t j = 0;
            while (j < count && key(kept[j]) != k)
                ++j;
            if (j == count)
                kept[count++] = i;
            map[i] = j;
        }
        return;
    }
    std::vector<uint32_t> order(n), first(n);
    for (uint32_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
    for (size_t k = 0; k < n; ++k)
        first[order[k]] = k > 0 && key(order[k]) == key(order[k - 1]) ? first[order[k - 1]] : order[k];
    for (uint32_t i = 0; i < n; ++i)
        map[i] = first[i] == i ? count++ : map[first[i]];
}

}  // namespace

void GltfScene::Triangles::append(const MeshCollector::Piece& piece, bool normals) {
    const auto base = static_cast<uint32_t>(vertexCount);
    thread_local std::vector<uint32_t> map;
    if (!normals)
        weld(piece.vertices, map);
    // Texture coordinates repeat: a piece's are moved by whole repeats next
    // to the origin, which keeps them small and exact in any encoding.
    float shiftU = 0, shiftV = 0;
    if (!piece.vertices.empty()) {
        float minU = piece.vertices[0].u, minV = piece.vertices[0].v;
        for (const Vertex& v : piece.vertices)
            minU = std::min(minU, v.u), minV = std::min(minV, v.v);
        if (std::isfinite(minU) && std::isfinite(minV))
            shiftU = std::floor(minU), shiftV = std::floor(minV);
    }
    size_t kept = 0;
    for (size_t i = 0; i < piece.vertices.size(); ++i) {
        if (!normals && map[i] != kept)
            continue;
        const Vertex& source = piece.vertices[i];
        ++kept;
        if (vertexChunks.empty() || vertexChunks.back().size() == kChunk) {
            vertexChunks.emplace_back();
            vertexChunks.back().reserve(kChunk);
        }
        Vertex v = source;
        if (!normals) {
            v.nx = v.ny = v.nz = 0;
        } else {
            // Unit normals: a degenerate triangle's zero normal points up instead.
            const float length = std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz);
            if (length > 1e-6f)
                v.nx /= length, v.ny /= length, v.nz /= length;
            else
                v.nx = 0, v.ny = 1, v.nz = 0;
        }
        v.u -= shiftU;
        v.v -= shiftV;
        vertexChunks.back().push_back(v);
        grow(lo, hi, {v.x, v.y, v.z});
    }
    vertexCount += kept;
    for (uint16_t i : piece.indices) {
        if (indexChunks.empty() || indexChunks.back().size() == kChunk) {
            indexChunks.emplace_back();
            indexChunks.back().reserve(kChunk);
        }
        indexChunks.back().push_back(base + (normals ? i : map[i]));
    }
    indexCount += piece.indices.size();
}

void GltfScene::Triangles::release() {
    std::vector<std::vector<Vertex>>().swap(vertexChunks);
    std::vector<std::vector<uint32_t>>().swap(indexChunks);
}

int GltfScene::materialOf(const MeshCollector::Piece& piece) {
    const auto key = std::make_pair(piece.materialName, piece.textureName);
    auto [at, made] = materialIndex_.try_emplace(key, static_cast<int>(materials.size()));
    if (made) {
        materials.emplace_back();
        materials.back().name = piece.materialName;
        materials.back().textureName = piece.textureName;
    }
    Material& m = materials[static_cast<size_t>(at->second)];
    for (int k = 0; k < 3; ++k)
        m.colour[k] += piece.surface.diffuse[k];
    ++m.meshes;
    return at->second;
}

void GltfScene::add(const MeshCollector::Piece& piece) {
    if (piece.indices.empty())
        return;
    Material& m = materials[static_cast<size_t>(materialOf(piece))];
    m.triangles.append(piece, normals);
    grow(lo, hi, m.triangles.lo);
    grow(lo, hi, m.triangles.hi);
}

void GltfScene::addInstance(const MeshCollector::Instance& instance,
                            const std::vector<MeshCollector::Piece>& meshes) {
    bool any = false;
    for (const MeshCollector::Piece& piece : meshes)
        any = any || !piece.indices.empty();
    if (!any || !instance.model)
        return;
    const MeshCollector::Piece& first = meshes.front();
    const auto key = std::make_tuple(instance.model->name, first.materialName, first.textureName,
                                     instance.factors[0], instance.factors[1]);
    auto [at, made] = prototypeIndex_.try_emplace(key, static_cast<int>(prototypes.size()));
    if (made)
        prototypes.emplace_back();
    Prototype& p = prototypes[static_cast<size_t>(at->second)];
    for (const MeshCollector::Piece& piece : meshes) {
        if (piece.indices.empty())
            continue;
        const int material = materialOf(piece);
        if (made) {
            p.materials.push_back(material);
            p.meshes.emplace_back();
            p.meshes.back().append(piece, normals);
            grow(p.lo, p.hi, p.meshes.back().lo);
            grow(p.lo, p.hi, p.meshes.back().hi);
        }
    }
    p.placements.push_back(instance.placement);
    // Where this placement puts the model's vertices.
    for (const Triangles& mesh : p.meshes)
        for (const auto& chunk : mesh.vertexChunks)
            for (const Vertex& v : chunk)
                grow(lo, hi, instance.placement.transformPoint({v.x, v.y, v.z}));
}

bool GltfScene::empty() const {
    for (const Material& m : materials)
        if (m.triangles.indexCount)
            return false;
    return prototypes.empty();
}

long GltfScene::triangles() const {
    long n = 0;
    for (const Material& m : materials)
        n += static_cast<long>(m.triangles.indexCount / 3);
    for (const Prototype& p : prototypes)
        for (const Triangles& mesh : p.meshes)
            n += static_cast<long>(mesh.indexCount / 3) * static_cast<long>(p.placements.size());
    return n;
}

long GltfScene::placements() const {
    long n = 0;
    for (const Prototype& p : prototypes)
        n += static_cast<long>(p.placements.size());
    return n;
}
