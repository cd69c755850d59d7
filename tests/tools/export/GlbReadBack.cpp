#include "tests/tools/export/GlbReadBack.h"

#include <meshoptimizer.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace readBack {

namespace {

using Matrix = std::array<double, 16>;  // column-major, as glTF stores matrices

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                c[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
    return c;
}

Matrix local(const tinygltf::Node& n) {
    Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (n.matrix.size() == 16) {
        for (int i = 0; i < 16; ++i)
            m[i] = n.matrix[i];
        return m;
    }
    double t[3] = {0, 0, 0}, s[3] = {1, 1, 1}, q[4] = {0, 0, 0, 1};
    for (size_t i = 0; i < n.translation.size() && i < 3; ++i)
        t[i] = n.translation[i];
    for (size_t i = 0; i < n.scale.size() && i < 3; ++i)
        s[i] = n.scale[i];
    for (size_t i = 0; i < n.rotation.size() && i < 4; ++i)
        q[i] = n.rotation[i];
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double r[9] = {1 - 2 * (y * y + z * z), 2 * (x * y + z * w),     2 * (x * z - y * w),
                         2 * (x * y - z * w),     1 - 2 * (x * x + z * z), 2 * (y * z + x * w),
                         2 * (x * z + y * w),     2 * (y * z - x * w),     1 - 2 * (x * x + y * y)};
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row)
            m[col * 4 + row] = r[col * 3 + row] * s[col];
    m[12] = t[0], m[13] = t[1], m[14] = t[2];
    return m;
}

// tinygltf reads no extension's data: the meshopt streams are decoded into
// the fallback buffer here, so that the accessors find what they describe.
bool decodeMeshopt(tinygltf::Model& model, std::string& error) {
    for (tinygltf::BufferView& view : model.bufferViews) {
        const auto found = view.extensions.find("EXT_meshopt_compression");
        if (found == view.extensions.end())
            continue;
        const tinygltf::Value& e = found->second;
        const auto& source = model.buffers[static_cast<size_t>(e.Get("buffer").GetNumberAsInt())].data;
        const size_t offset = static_cast<size_t>(e.Get("byteOffset").GetNumberAsInt());
        const size_t length = static_cast<size_t>(e.Get("byteLength").GetNumberAsInt());
        const size_t stride = static_cast<size_t>(e.Get("byteStride").GetNumberAsInt());
        const size_t count = static_cast<size_t>(e.Get("count").GetNumberAsInt());
        const std::string mode = e.Get("mode").Get<std::string>();
        const std::string filter = e.Has("filter") ? e.Get("filter").Get<std::string>() : "NONE";
        auto& target = model.buffers[static_cast<size_t>(view.buffer)].data;
        if (offset + length > source.size() || view.byteOffset + count * stride > target.size()) {
            error = "a compressed view points outside its buffers";
            return false;
        }
        unsigned char* out = target.data() + view.byteOffset;
        int rc = -1;
        if (mode == "ATTRIBUTES")
            rc = meshopt_decodeVertexBuffer(out, count, stride, source.data() + offset, length);
        else if (mode == "TRIANGLES")
            rc = meshopt_decodeIndexBuffer(out, count, stride, source.data() + offset, length);
        if (rc != 0) {
            error = "meshoptimizer cannot decode a " + mode + " stream";
            return false;
        }
        if (filter == "OCTAHEDRAL")
            meshopt_decodeFilterOct(out, count, stride);
        else if (filter == "EXPONENTIAL")
            meshopt_decodeFilterExp(out, count, stride);
        else if (filter != "NONE") {
            error = "unknown filter " + filter;
            return false;
        }
    }
    return true;
}

template <class T>
double component(const unsigned char* p, int k) {
    T v;
    std::memcpy(&v, p + k * sizeof(T), sizeof(T));
    return double(v);
}

bool visit(Scene& s, int index, const Matrix& above, int depth) {
    if (index < 0 || index >= static_cast<int>(s.model.nodes.size()) || depth > 64)
        return false;
    const tinygltf::Node& node = s.model.nodes[static_cast<size_t>(index)];
    const Matrix m = multiply(above, local(node));
    if (node.mesh >= 0) {
        ++s.nodesWithMesh;
        for (const tinygltf::Primitive& p : s.model.meshes[static_cast<size_t>(node.mesh)].primitives) {
            const tinygltf::Accessor& pa = s.model.accessors[static_cast<size_t>(p.attributes.at("POSITION"))];
            const tinygltf::BufferView& pv = s.model.bufferViews[static_cast<size_t>(pa.bufferView)];
            const size_t stride = pv.byteStride ? pv.byteStride : 12;
            const unsigned char* positions =
                s.model.buffers[static_cast<size_t>(pv.buffer)].data.data() + pv.byteOffset + pa.byteOffset;
            const tinygltf::Accessor& ia = s.model.accessors[static_cast<size_t>(p.indices)];
            const tinygltf::BufferView& iv = s.model.bufferViews[static_cast<size_t>(ia.bufferView)];
            const unsigned char* indices =
                s.model.buffers[static_cast<size_t>(iv.buffer)].data.data() + iv.byteOffset + ia.byteOffset;
            s.triangles += static_cast<long>(ia.count / 3);
            for (size_t i = 0; i < ia.count; ++i) {
                const size_t v = ia.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT
                                     ? size_t(component<uint16_t>(indices, static_cast<int>(i)))
                                     : size_t(component<uint32_t>(indices, static_cast<int>(i)));
                if (v >= pa.count)
                    return false;
                const unsigned char* at = positions + v * stride;
                double q[3];
                for (int k = 0; k < 3; ++k)
                    q[k] = pa.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ? component<float>(at, k)
                                                                             : component<uint16_t>(at, k);
                for (int k = 0; k < 3; ++k) {
                    const double w = m[k] * q[0] + m[4 + k] * q[1] + m[8 + k] * q[2] + m[12 + k];
                    s.lo[static_cast<size_t>(k)] = std::min(s.lo[static_cast<size_t>(k)], w);
                    s.hi[static_cast<size_t>(k)] = std::max(s.hi[static_cast<size_t>(k)], w);
                }
            }
        }
    }
    for (int child : node.children)
        if (!visit(s, child, m, depth + 1))
            return false;
    return true;
}

struct Files {
    std::vector<unsigned char> bin;
    size_t fallback = 0;
};

bool readFile(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* user) {
    const Files& files = *static_cast<const Files*>(user);
    if (path.find("bin.bin") != std::string::npos)
        *out = files.bin;
    else if (path.find("fallback.bin") != std::string::npos)
        out->assign(files.fallback, 0);
    else {
        *error = "no file " + path;
        return false;
    }
    return true;
}
bool exists(const std::string&, void*) { return true; }
std::string expand(const std::string& path, void*) { return path; }

}  // namespace

Scene read(const std::string& path) {
    Scene s;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    uint32_t header[5] = {0, 0, 0, 0, 0};
    if (bytes.size() < 28 || (std::memcpy(header, bytes.data(), sizeof header), header[0] != 0x46546C67u) ||
        header[2] != bytes.size() || 20 + size_t(header[3]) + 8 > bytes.size()) {
        s.error = path + " is not a whole glb file";
        return s;
    }
    std::string text(reinterpret_cast<const char*>(bytes.data() + 20), header[3]);
    Files files;
    uint32_t chunk[2];
    std::memcpy(chunk, bytes.data() + 20 + header[3], sizeof chunk);
    files.bin.assign(bytes.begin() + 28 + header[3], bytes.begin() + 28 + header[3] + chunk[0]);

    // The buffers as files, so that tinygltf loads a fallback buffer without
    // data (a compact file's) as the zeros the decoder then fills.
    nlohmann::json doc = nlohmann::json::parse(text);
    for (const auto& name : doc.value("extensionsRequired", nlohmann::json::array()))
        s.compact = s.compact || name == "EXT_meshopt_compression";
    auto& buffers = doc.at("buffers");
    for (size_t i = 0; i < buffers.size(); ++i) {
        if (i == 0)
            buffers[i]["uri"] = "bin.bin";
        else {
            buffers[i]["uri"] = "fallback.bin";
            files.fallback = buffers[i].at("byteLength").get<size_t>();
        }
    }
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks({&exists, &expand, &readFile, nullptr, &files});
    std::string error, warning;
    if (!loader.LoadASCIIFromString(&s.model, &error, &warning, doc.dump().c_str(),
                                    static_cast<unsigned>(doc.dump().size()), "")) {
        s.error = "tinygltf: " + error;
        return s;
    }
    if (!decodeMeshopt(s.model, s.error))
        return s;
    const Matrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int root : s.model.scenes.at(static_cast<size_t>(std::max(s.model.defaultScene, 0))).nodes)
        if (!visit(s, root, identity, 0)) {
            s.error = "a node or index points outside the file";
            return s;
        }
    return s;
}

}  // namespace readBack
