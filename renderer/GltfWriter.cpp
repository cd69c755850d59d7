#include "renderer/GltfWriter.h"

#include <nlohmann/json.hpp>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "renderer/GltfEncoding.h"
#include "renderer/ImageDecoder.h"

using nlohmann::json;

namespace {

constexpr int kArrayBuffer = 34962, kElementArrayBuffer = 34963;
constexpr int kFloat = 5126, kUnsignedShort = 5123;
constexpr const char* kMeshopt = "EXT_meshopt_compression";
constexpr const char* kQuantization = "KHR_mesh_quantization";

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

size_t padded(size_t n) { return (n + 3) & ~size_t(3); }

// The glTF document and the binary chunk it refers to, as blobs kept in order.
class Document {
public:
    explicit Document(GltfFormat format) : compact_(format == GltfFormat::Compact) {
        doc_["asset"] = {{"version", "2.0"}, {"generator", "Callimora"}};
        if (compact_) {
            doc_["extensionsUsed"] = {kMeshopt, kQuantization};
            doc_["extensionsRequired"] = {kMeshopt, kQuantization};
        }
    }

    json& operator[](const char* key) { return doc_[key]; }

    // Raw bytes in the binary chunk (pictures, plain vertex data).
    int rawView(std::vector<unsigned char>&& bytes, int target) {
        json view = {{"buffer", 0}, {"byteOffset", binSize_}, {"byteLength", bytes.size()}};
        if (target)
            view["target"] = target;
        keep(std::move(bytes));
        return push("bufferViews", std::move(view));
    }

    // One stream as the format stores it.
    int streamView(gltfEncoding::Stream&& s, int target) {
        if (!compact_)
            return rawView(std::move(s.bytes), target);
        json meshopt = {{"buffer", 0}, {"byteOffset", binSize_}, {"byteLength", s.bytes.size()},
                        {"byteStride", s.stride}, {"count", s.count}, {"mode", s.mode}};
        if (s.filter != "NONE")
            meshopt["filter"] = s.filter;
        json view = {{"buffer", 1}, {"byteOffset", fallbackSize_}, {"byteLength", s.decodedLength},
                     {"target", target}, {"extensions", {{kMeshopt, meshopt}}}};
        // Index data has no stride of its own in glTF; the codec needs one.
        if (target == kArrayBuffer)
            view["byteStride"] = s.stride;
        fallbackSize_ += padded(s.decodedLength);
        keep(std::move(s.bytes));
        return push("bufferViews", std::move(view));
    }

    int accessor(int view, int component, bool normalized, size_t count, const char* type) {
        json a = {{"bufferView", view}, {"componentType", component}, {"count", count}, {"type", type}};
        if (normalized)
            a["normalized"] = true;
        return push("accessors", std::move(a));
    }

    int push(const char* key, json&& value) {
        json& array = doc_[key];
        if (!array.is_array())
            array = json::array();
        array.push_back(std::move(value));
        return static_cast<int>(array.size()) - 1;
    }

    // Header, JSON chunk, binary chunk; false when the stream fails.
    bool write(std::ostream& out) {
        json buffers = json::array({{{"byteLength", binSize_}}});
        if (compact_)
            buffers.push_back({{"byteLength", fallbackSize_}, {"extensions", {{kMeshopt, {{"fallback", true}}}}}});
        doc_["buffers"] = std::move(buffers);
        std::string text = doc_.dump();
        text.resize(padded(text.size()), ' ');
        const uint32_t total = static_cast<uint32_t>(12 + 8 + text.size() + (binSize_ ? 8 + binSize_ : 0));
        const uint32_t header[5] = {0x46546C67u, 2u, total, static_cast<uint32_t>(text.size()), 0x4E4F534Au};
        out.write(reinterpret_cast<const char*>(header), sizeof header);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (binSize_) {
            const uint32_t chunk[2] = {static_cast<uint32_t>(binSize_), 0x004E4942u};
            out.write(reinterpret_cast<const char*>(chunk), sizeof chunk);
            static const char zeros[4] = {0, 0, 0, 0};
            for (std::vector<unsigned char>& blob : blobs_) {
                out.write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
                out.write(zeros, static_cast<std::streamsize>(padded(blob.size()) - blob.size()));
                std::vector<unsigned char>().swap(blob);
            }
        }
        return static_cast<bool>(out);
    }

    bool compact() const { return compact_; }

private:
    void keep(std::vector<unsigned char>&& bytes) {
        binSize_ += padded(bytes.size());
        blobs_.push_back(std::move(bytes));
    }

    bool compact_;
    json doc_;
    std::vector<std::vector<unsigned char>> blobs_;
    size_t binSize_ = 0, fallbackSize_ = 0;
};

json vec3(const Vector& v) { return {double(v.x), double(v.y), double(v.z)}; }

// Translation, rotation and scale of an affine matrix (rotation and scale
// along its axes, as placements and grids are made).
json trsNode(const Matrix44& m) {
    double col[3][3], scale[3];
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i)
            col[j][i] = m.m[i * 4 + j];
        scale[j] = std::sqrt(col[j][0] * col[j][0] + col[j][1] * col[j][1] + col[j][2] * col[j][2]);
        if (scale[j] <= 0)
            scale[j] = 1;
    }
    const double det = col[0][0] * (col[1][1] * col[2][2] - col[1][2] * col[2][1]) -
                       col[1][0] * (col[0][1] * col[2][2] - col[0][2] * col[2][1]) +
                       col[2][0] * (col[0][1] * col[1][2] - col[0][2] * col[1][1]);
    if (det < 0)
        scale[0] = -scale[0];
    double r[3][3];  // r[row][column]
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            r[i][j] = col[j][i] / scale[j];
    double q[4];  // x, y, z, w
    const double trace = r[0][0] + r[1][1] + r[2][2];
    if (trace > 0) {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        q[3] = 0.25 / s, q[0] = (r[2][1] - r[1][2]) * s, q[1] = (r[0][2] - r[2][0]) * s, q[2] = (r[1][0] - r[0][1]) * s;
    } else if (r[0][0] > r[1][1] && r[0][0] > r[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + r[0][0] - r[1][1] - r[2][2]);
        q[3] = (r[2][1] - r[1][2]) / s, q[0] = 0.25 * s, q[1] = (r[0][1] + r[1][0]) / s, q[2] = (r[0][2] + r[2][0]) / s;
    } else if (r[1][1] > r[2][2]) {
        const double s = 2.0 * std::sqrt(1.0 + r[1][1] - r[0][0] - r[2][2]);
        q[3] = (r[0][2] - r[2][0]) / s, q[0] = (r[0][1] + r[1][0]) / s, q[1] = 0.25 * s, q[2] = (r[1][2] + r[2][1]) / s;
    } else {
        const double s = 2.0 * std::sqrt(1.0 + r[2][2] - r[0][0] - r[1][1]);
        q[3] = (r[1][0] - r[0][1]) / s, q[0] = (r[0][2] + r[2][0]) / s, q[1] = (r[1][2] + r[2][1]) / s, q[2] = 0.25 * s;
    }
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    json node = {{"translation", {double(m.m[3]), double(m.m[7]), double(m.m[11])}},
                 {"scale", {scale[0], scale[1], scale[2]}}};
    if (std::fabs(q[3] / length) < 1.0)
        node["rotation"] = {q[0] / length, q[1] / length, q[2] / length, q[3] / length};
    return node;
}

Matrix44 mirrorZ() {
    Matrix44 s;
    s(2, 2) = -1;
    return s;
}

// One primitive's accessors from its encoded streams.
json primitive(Document& doc, gltfEncoding::Encoded&& e, int material) {
    const bool compact = doc.compact();
    json attributes;
    const int position = doc.accessor(doc.streamView(std::move(e.position), kArrayBuffer),
                                      compact ? kUnsignedShort : kFloat, false, e.vertexCount, "VEC3");
    json& a = doc["accessors"][static_cast<size_t>(position)];
    a["min"] = {e.lo[0], e.lo[1], e.lo[2]};
    a["max"] = {e.hi[0], e.hi[1], e.hi[2]};
    attributes["POSITION"] = position;
    if (e.normal.count)
        attributes["NORMAL"] =
            doc.accessor(doc.streamView(std::move(e.normal), kArrayBuffer), kFloat, false, e.vertexCount, "VEC3");
    if (e.texcoord.count)
        attributes["TEXCOORD_0"] =
            doc.accessor(doc.streamView(std::move(e.texcoord), kArrayBuffer), kFloat, false, e.vertexCount, "VEC2");
    const int indices = doc.accessor(doc.streamView(std::move(e.index), kElementArrayBuffer), e.indexComponent,
                                     false, e.indexCount, "SCALAR");
    return {{"attributes", std::move(attributes)}, {"indices", indices}, {"material", material}, {"mode", 4}};
}

gltfEncoding::Encoded encode(Document& doc, GltfScene::Triangles& t, const gltfEncoding::Frame& frame,
                             const gltfEncoding::Grid& grid, bool textured) {
    return doc.compact() ? gltfEncoding::encodeCompact(t, frame, grid, textured)
                         : gltfEncoding::encodePlain(t, frame, textured);
}

}  // namespace

bool parseGltfFormat(const std::string& name, GltfFormat& format) {
    if (name == "compact")
        format = GltfFormat::Compact;
    else if (name == "plain")
        format = GltfFormat::Plain;
    else
        return false;
    return true;
}

const char* gltfFormatName(GltfFormat format) { return format == GltfFormat::Compact ? "compact" : "plain"; }

bool GltfWriter::write(GltfScene& scene, const std::string& path) {
    summary_ = {};
    error_.clear();
    const std::string part = path + ".part";
    if (scene.empty()) {
        std::error_code ec;
        std::filesystem::remove(part, ec);
        error_ = "nothing to export";
        return false;
    }
    summary_.triangles = scene.triangles();
    summary_.placements = scene.placements();
    const float lo[3] = {scene.lo.x, scene.lo.y, scene.lo.z}, hi[3] = {scene.hi.x, scene.hi.y, scene.hi.z};
    std::copy(lo, lo + 3, summary_.lo);
    std::copy(hi, hi + 3, summary_.hi);
    // Stored relative to the middle of the bounds: small numbers keep single precision.
    const Vector middle = (scene.lo + scene.hi) * 0.5f;
    const gltfEncoding::Frame world{middle};
    Document doc(format);
    json root = {{"name", "Callimora"}, {"translation", {double(middle.x), double(middle.y), double(-middle.z)}},
                 {"children", json::array()}};

    // Materials first, each with its texture the first time it is named.
    std::map<std::string, int> textureOf;  // texture file name -> glTF texture, -1: unreadable
    std::vector<bool> textured(scene.materials.size(), false);
    for (size_t i = 0; i < scene.materials.size(); ++i) {
        const GltfScene::Material& m = scene.materials[i];
        // The renderer varies each mesh's brightness a little around the
        // material's colour; the material takes the mean.
        json colour = json::array();
        for (double c : m.colour)
            colour.push_back(std::clamp(c / double(std::max(m.meshes, 1L)), 0.0, 1.0));
        colour.push_back(1.0);
        json pbr = {{"baseColorFactor", colour}, {"metallicFactor", 0}, {"roughnessFactor", 1}};
        if (!m.textureName.empty()) {
            auto [at, fresh] = textureOf.try_emplace(m.textureName, -1);
            if (fresh) {
                std::vector<unsigned char> bytes;
                std::string mimeType;
                if (pictureBytes(textureFolder + m.textureName, bytes, mimeType)) {
                    if (!doc["samplers"].is_array())
                        doc.push("samplers", {{"magFilter", 9729}, {"minFilter", 9987}, {"wrapS", 10497},
                                              {"wrapT", 10497}});
                    const int view = doc.rawView(std::move(bytes), 0);
                    const int image = doc.push("images", {{"name", m.textureName}, {"mimeType", mimeType},
                                                          {"bufferView", view}});
                    at->second = doc.push("textures", {{"sampler", 0}, {"source", image}});
                    ++summary_.textures;
                }
            }
            if (at->second >= 0) {
                pbr["baseColorTexture"] = {{"index", at->second}};
                textured[i] = true;
            }
        }
        doc.push("materials", {{"name", m.name.empty() ? "Unbound" : m.name}, {"pbrMetallicRoughness", pbr}});
    }

    // One mesh and node per material: encoded, then freed.
    for (size_t i = 0; i < scene.materials.size(); ++i) {
        GltfScene::Material& m = scene.materials[i];
        if (!m.triangles.indexCount)
            continue;
        Vector lo, hi;
        world.bounds(m.triangles.lo, m.triangles.hi, lo, hi);
        const gltfEncoding::Grid grid = gltfEncoding::gridOver(lo, hi);
        json p = primitive(doc, encode(doc, m.triangles, world, grid, textured[i]), static_cast<int>(i));
        m.triangles.release();
        const std::string name = m.name.empty() ? "Unbound" : m.name;
        const int mesh = doc.push("meshes", {{"name", name}, {"primitives", json::array({std::move(p)})}});
        json node = {{"name", name}, {"mesh", mesh}};
        if (doc.compact()) {
            node["translation"] = vec3(grid.origin);
            node["scale"] = {double(grid.step), double(grid.step), double(grid.step)};
        }
        root["children"].push_back(doc.push("nodes", std::move(node)));
        ++summary_.meshes;
    }

    // Each model once, in its own coordinates, and a node per placement.
    const Matrix44 s = mirrorZ();
    const Matrix44 toRoot = s * Matrix44::translation(-middle.x, -middle.y, -middle.z);
    for (GltfScene::Prototype& p : scene.prototypes) {
        const gltfEncoding::Frame own{{0, 0, 0}};
        Vector lo, hi;
        own.bounds(p.lo, p.hi, lo, hi);
        const gltfEncoding::Grid grid = gltfEncoding::gridOver(lo, hi);
        json primitives = json::array();
        for (size_t k = 0; k < p.meshes.size(); ++k) {
            const auto material = static_cast<size_t>(p.materials[k]);
            primitives.push_back(primitive(doc, encode(doc, p.meshes[k], own, grid, textured[material]),
                                           static_cast<int>(material)));
            p.meshes[k].release();
        }
        const int mesh = doc.push("meshes", {{"primitives", std::move(primitives)}});
        ++summary_.meshes;
        Matrix44 dequantise;
        if (doc.compact())
            dequantise = Matrix44::translation(grid.origin.x, grid.origin.y, grid.origin.z) *
                         [&] { Matrix44 k; k(0, 0) = k(1, 1) = k(2, 2) = grid.step; return k; }();
        for (const Matrix44& placement : p.placements) {
            json node = trsNode(toRoot * placement * s * dequantise);
            node["mesh"] = mesh;
            root["children"].push_back(doc.push("nodes", std::move(node)));
        }
    }
    scene.materials.clear();
    scene.prototypes.clear();
    const int rootNode = doc.push("nodes", std::move(root));
    doc["scenes"] = json::array({{{"name", "Callimora"}, {"nodes", {rootNode}}}});
    doc["scene"] = 0;

    // Written beside the file and put in its place once whole.
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        if (!out || !doc.write(out) || !(out.close(), out)) {
            std::error_code ec;
            std::filesystem::remove(part, ec);
            error_ = "cannot write " + path;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(part, path, ec);
    if (ec) {
        std::filesystem::remove(part, ec);
        error_ = "cannot write " + path;
        return false;
    }
    summary_.bytes = static_cast<long>(std::filesystem::file_size(path, ec));
    return true;
}
