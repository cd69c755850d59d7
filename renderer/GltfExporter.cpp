#include "renderer/GltfExporter.h"

#include <stb/stb_image_write.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/Desc.h"
#include "renderer/ImageDecoder.h"

namespace {

// The pieces of one material: what becomes one mesh.
struct Group {
    std::string materialName;
    std::string textureName;
    std::vector<const MeshCollector::Piece*> pieces;
};

// Appends bytes to the buffer, aligned to 4 as accessors require; the view's index.
int addView(tinygltf::Model& model, const void* data, size_t size, int target) {
    std::vector<unsigned char>& bytes = model.buffers[0].data;
    while (bytes.size() % 4)
        bytes.push_back(0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = bytes.size();
    view.byteLength = size;
    if (target)
        view.target = target;
    const auto* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + size);
    model.bufferViews.push_back(view);
    return static_cast<int>(model.bufferViews.size()) - 1;
}

int addAccessor(tinygltf::Model& model, int view, int componentType, int type, size_t count) {
    tinygltf::Accessor a;
    a.bufferView = view;
    a.componentType = componentType;
    a.type = type;
    a.count = count;
    model.accessors.push_back(a);
    return static_cast<int>(model.accessors.size()) - 1;
}

bool startsWith(const std::vector<unsigned char>& bytes, std::initializer_list<unsigned char> magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

void appendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    const auto* p = static_cast<const unsigned char*>(data);
    out->insert(out->end(), p, p + size);
}

// The picture file as glTF takes it: JPEG and PNG as they are, anything the
// renderer decodes otherwise (bitmaps) as PNG; false when it cannot be read.
bool pictureBytes(const std::string& path, std::vector<unsigned char>& bytes, std::string& mimeType) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (startsWith(bytes, {0xff, 0xd8, 0xff})) {
        mimeType = "image/jpeg";
        return true;
    }
    if (startsWith(bytes, {0x89, 'P', 'N', 'G'})) {
        mimeType = "image/png";
        return true;
    }
    ImageDecoder decoder;
    ImageDecoder::Image image;
    if (!decoder.decode(path.c_str(), image))
        return false;
    bytes.clear();
    if (!stbi_write_png_to_func(appendBytes, &bytes, image.width, image.height, 4, image.rgba.data(),
                                image.width * 4))
        return false;
    mimeType = "image/png";
    return true;
}

}  // namespace

bool GltfExporter::exportSubtree(Desc& desc, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    MeshCollector collector;
    Matrix44 above = Matrix44::identity();
    if (desc.parent)
        above = worldFrameOf(*desc.parent);
    collector.collect(desc, above);
    if (collector.pieces.empty()) {
        error_ = "nothing is generated there";
        return false;
    }
    if (!write(collector.pieces, path))
        return false;
    summary_.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return true;
}

bool GltfExporter::write(const std::vector<MeshCollector::Piece>& pieces, const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    summary_ = {};
    error_.clear();

    // Groups by material, in order of first appearance.
    std::vector<Group> groups;
    std::map<std::pair<std::string, std::string>, size_t> groupOf;
    Vector lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const MeshCollector::Piece& piece : pieces) {
        if (piece.indices.empty())
            continue;
        const auto key = std::make_pair(piece.materialName, piece.textureName);
        auto [at, made] = groupOf.try_emplace(key, groups.size());
        if (made)
            groups.push_back({piece.materialName, piece.textureName, {}});
        groups[at->second].pieces.push_back(&piece);
        for (const Vertex& v : piece.vertices) {
            lo = {std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = {std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
    }
    if (groups.empty()) {
        error_ = "nothing to export";
        return false;
    }
    // Stored relative to the middle of the bounds: small numbers keep single precision.
    const Vector middle = (lo + hi) * 0.5f;

    tinygltf::Model model;
    model.asset.version = "2.0";
    model.asset.generator = "Callimora";
    model.buffers.resize(1);
    tinygltf::Node root;
    root.name = "Callimora";
    root.translation = {middle.x, middle.y, -middle.z};

    tinygltf::Sampler repeat;
    repeat.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
    repeat.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
    repeat.wrapS = repeat.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    std::map<std::string, int> textureOf;  // texture file name -> glTF texture, -1: unreadable

    for (const Group& group : groups) {
        std::vector<float> positions, normals, texcoords;
        std::vector<uint32_t> indices;
        float colour[3] = {0, 0, 0};
        float fmin[3] = {1e30f, 1e30f, 1e30f}, fmax[3] = {-1e30f, -1e30f, -1e30f};
        for (const MeshCollector::Piece* piece : group.pieces) {
            const auto base = static_cast<uint32_t>(positions.size() / 3);
            for (const Vertex& v : piece->vertices) {
                const float p[3] = {v.x - middle.x, v.y - middle.y, -(v.z - middle.z)};
                for (int k = 0; k < 3; ++k) {
                    positions.push_back(p[k]);
                    fmin[k] = std::min(fmin[k], p[k]);
                    fmax[k] = std::max(fmax[k], p[k]);
                }
                // Unit normals: a degenerate triangle's zero normal points up instead.
                Vector n(v.nx, v.ny, -v.nz);
                const float length = std::sqrt(n.dot(n));
                n = length > 1e-6f ? n * (1.0f / length) : Vector(0, 1, 0);
                normals.insert(normals.end(), {n.x, n.y, n.z});
                texcoords.insert(texcoords.end(), {v.u, v.v});
            }
            for (uint16_t i : piece->indices)
                indices.push_back(base + i);
            for (int k = 0; k < 3; ++k)
                colour[k] += piece->surface.diffuse[k];
        }
        // The renderer varies each mesh's brightness a little around the
        // material's colour; the material takes the mean.
        for (float& c : colour)
            c = std::clamp(c / static_cast<float>(group.pieces.size()), 0.0f, 1.0f);

        tinygltf::Material material;
        material.name = group.materialName.empty() ? "Unbound" : group.materialName;
        material.pbrMetallicRoughness.baseColorFactor = {colour[0], colour[1], colour[2], 1.0};
        material.pbrMetallicRoughness.metallicFactor = 0;
        material.pbrMetallicRoughness.roughnessFactor = 1;
        bool textured = false;
        if (!group.textureName.empty()) {
            auto [at, fresh] = textureOf.try_emplace(group.textureName, -1);
            if (fresh) {
                std::vector<unsigned char> bytes;
                tinygltf::Image image;
                if (pictureBytes(textureFolder + group.textureName, bytes, image.mimeType)) {
                    if (model.samplers.empty())
                        model.samplers.push_back(repeat);
                    image.name = group.textureName;
                    image.bufferView = addView(model, bytes.data(), bytes.size(), 0);
                    model.images.push_back(image);
                    tinygltf::Texture texture;
                    texture.sampler = 0;
                    texture.source = static_cast<int>(model.images.size()) - 1;
                    model.textures.push_back(texture);
                    at->second = static_cast<int>(model.textures.size()) - 1;
                    ++summary_.textures;
                }
            }
            if (at->second >= 0) {
                material.pbrMetallicRoughness.baseColorTexture.index = at->second;
                textured = true;
            }
        }
        model.materials.push_back(material);

        tinygltf::Primitive primitive;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.material = static_cast<int>(model.materials.size()) - 1;
        const size_t count = positions.size() / 3;
        int position = addAccessor(model, addView(model, positions.data(), positions.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                                   TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, count);
        model.accessors[position].minValues = {fmin[0], fmin[1], fmin[2]};
        model.accessors[position].maxValues = {fmax[0], fmax[1], fmax[2]};
        primitive.attributes["POSITION"] = position;
        primitive.attributes["NORMAL"] =
            addAccessor(model, addView(model, normals.data(), normals.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, count);
        if (textured)
            primitive.attributes["TEXCOORD_0"] = addAccessor(
                model, addView(model, texcoords.data(), texcoords.size() * 4, TINYGLTF_TARGET_ARRAY_BUFFER),
                TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, count);
        primitive.indices =
            addAccessor(model, addView(model, indices.data(), indices.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, indices.size());

        tinygltf::Mesh mesh;
        mesh.name = material.name;
        mesh.primitives.push_back(primitive);
        model.meshes.push_back(mesh);
        tinygltf::Node node;
        node.name = material.name;
        node.mesh = static_cast<int>(model.meshes.size()) - 1;
        model.nodes.push_back(node);
        root.children.push_back(static_cast<int>(model.nodes.size()) - 1);
        summary_.triangles += static_cast<long>(indices.size() / 3);
        ++summary_.meshes;
    }
    model.nodes.push_back(root);
    tinygltf::Scene scene;
    scene.name = "Callimora";
    scene.nodes.push_back(static_cast<int>(model.nodes.size()) - 1);
    model.scenes.push_back(scene);
    model.defaultScene = 0;

    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToFile(&model, path, true, true, false, true)) {
        error_ = "cannot write " + path;
        return false;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        error_ = "cannot write " + path;
        return false;
    }
    summary_.bytes = static_cast<long>(size);
    summary_.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return true;
}
