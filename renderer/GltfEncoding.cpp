#include "renderer/GltfEncoding.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace gltfEncoding {

namespace {

constexpr int kUnsignedShort = 5123, kUnsignedInt = 5125;
// Mantissa bits of texture coordinates (one exponent for u and v): steps of
// a 4096th of a repeat below 2 repeats, a tenth of a pixel of a 512-pixel texture.
constexpr int kTexcoordBits = 14;
// Vertices the triangle order is tuned for (what compresses the indices best).
constexpr unsigned kCacheSize = 16;

template <class T>
void appendBytes(std::vector<unsigned char>& out, const std::vector<T>& data) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    out.insert(out.end(), p, p + data.size() * sizeof(T));
}

// Calls f(vertex, index) for every vertex, freeing each chunk once read.
template <class F>
void drainVertices(GltfScene::Triangles& t, F&& f) {
    size_t i = 0;
    for (auto& chunk : t.vertexChunks) {
        for (const Vertex& v : chunk)
            f(v, i++);
        std::vector<Vertex>().swap(chunk);
    }
    std::vector<std::vector<Vertex>>().swap(t.vertexChunks);
}

std::vector<uint32_t> drainIndices(GltfScene::Triangles& t) {
    std::vector<uint32_t> indices;
    indices.reserve(t.indexCount);
    for (auto& chunk : t.indexChunks) {
        indices.insert(indices.end(), chunk.begin(), chunk.end());
        std::vector<uint32_t>().swap(chunk);
    }
    std::vector<std::vector<uint32_t>>().swap(t.indexChunks);
    return indices;
}

// An array left uninitialised: every element is written before it is read.
template <class T>
class Scratch {
public:
    explicit Scratch(size_t n) : data_(n ? new T[n] : nullptr), size_(n) {}
    T* get() { return data_.get(); }
    T& operator[](size_t i) { return data_[i]; }
    size_t size() const { return size_; }
    void release() { data_.reset(), size_ = 0; }
    // Moves records of `width` elements as the vertex remap says.
    void remap(const uint32_t* table, size_t count, size_t used, size_t width) {
        std::unique_ptr<T[]> out(new T[used * width]);
        meshopt_remapVertexBuffer(out.get(), data_.get(), count, width * sizeof(T), table);
        data_ = std::move(out);
        size_ = used * width;
    }

private:
    std::unique_ptr<T[]> data_;
    size_t size_;
};

Stream compressVertices(const void* data, size_t count, int stride, const char* filter) {
    Stream s;
    s.stride = stride;
    s.count = count;
    s.decodedLength = count * static_cast<size_t>(stride);
    s.mode = "ATTRIBUTES";
    s.filter = filter;
    Scratch<unsigned char> out(meshopt_encodeVertexBufferBound(count, static_cast<size_t>(stride)));
    const size_t size = meshopt_encodeVertexBuffer(out.get(), out.size(), data, count, static_cast<size_t>(stride));
    s.bytes.assign(out.get(), out.get() + size);
    return s;
}

}  // namespace

void Frame::bounds(const Vector& lo, const Vector& hi, Vector& outLo, Vector& outHi) const {
    outLo = {lo.x - origin.x, lo.y - origin.y, -(hi.z - origin.z)};
    outHi = {hi.x - origin.x, hi.y - origin.y, -(lo.z - origin.z)};
}

Grid gridOver(const Vector& lo, const Vector& hi) {
    Grid g;
    g.origin = lo;
    const float extent = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
    g.step = extent > 0 ? extent / 65535.0f : 1.0f;
    return g;
}

Encoded encodePlain(GltfScene::Triangles& t, const Frame& frame, bool textured) {
    Encoded e;
    e.vertexCount = t.vertexCount;
    e.indexCount = t.indexCount;
    e.indexComponent = kUnsignedInt;
    const size_t n = t.vertexCount;
    std::vector<float> positions(3 * n), normals(3 * n), texcoords(textured ? 2 * n : 0);
    for (int k = 0; k < 3; ++k)
        e.lo[k] = 1e30, e.hi[k] = -1e30;
    drainVertices(t, [&](const Vertex& v, size_t i) {
        const Vector p = frame.position(v);
        const float q[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            positions[3 * i + k] = q[k];
            e.lo[k] = std::min(e.lo[k], double(q[k]));
            e.hi[k] = std::max(e.hi[k], double(q[k]));
        }
        normals[3 * i] = v.nx, normals[3 * i + 1] = v.ny, normals[3 * i + 2] = -v.nz;
        if (textured)
            texcoords[2 * i] = v.u, texcoords[2 * i + 1] = v.v;
    });
    auto plain = [](Stream& s, const auto& data, int stride, size_t count) {
        appendBytes(s.bytes, data);
        s.decodedLength = s.bytes.size();
        s.stride = stride;
        s.count = count;
    };
    plain(e.position, positions, 12, n);
    std::vector<float>().swap(positions);
    plain(e.normal, normals, 12, n);
    std::vector<float>().swap(normals);
    if (textured)
        plain(e.texcoord, texcoords, 8, n);
    std::vector<float>().swap(texcoords);
    plain(e.index, drainIndices(t), 4, e.indexCount);
    return e;
}

Encoded encodeCompact(GltfScene::Triangles& t, const Frame& frame, const Grid& grid, bool textured) {
    Encoded e;
    const size_t n = t.vertexCount;
    // Positions (four 16-bit integers) and texture coordinates (two 32-bit
    // words of the exponential filter), without normals: every face is flat,
    // and a reader makes flat normals of a mesh that has none.
    Scratch<uint16_t> positions(4 * n);
    Scratch<uint32_t> texcoords(textured ? 2 * n : 0);
    std::vector<float> uv;
    size_t first = 0;
    for (auto& chunk : t.vertexChunks) {
        const size_t m = chunk.size();
        uv.resize(2 * m);
        for (size_t j = 0; j < m; ++j) {
            const Vertex& v = chunk[j];
            const Vector p = frame.position(v);
            const float c[3] = {p.x, p.y, p.z}, o[3] = {grid.origin.x, grid.origin.y, grid.origin.z};
            uint16_t* q = &positions[4 * (first + j)];
            for (int k = 0; k < 3; ++k)
                q[k] = static_cast<uint16_t>(std::clamp(std::round((c[k] - o[k]) / grid.step), 0.0f, 65535.0f));
            q[3] = 0;
            uv[2 * j] = v.u, uv[2 * j + 1] = v.v;
        }
        if (textured)
            meshopt_encodeFilterExp(&texcoords[2 * first], m, 8, kTexcoordBits, uv.data());
        first += m;
        std::vector<Vertex>().swap(chunk);
    }
    std::vector<std::vector<Vertex>>().swap(t.vertexChunks);
    std::vector<float>().swap(uv);
    std::vector<uint32_t> indices = drainIndices(t);

    // Triangles in the order a vertex cache likes, vertices in the order the
    // triangles first use them: what the codecs compress best.
    size_t used = 0;
    {
        Scratch<uint32_t> ordered(indices.size());
        meshopt_optimizeVertexCacheFifo(ordered.get(), indices.data(), indices.size(), n, kCacheSize);
        std::copy(ordered.get(), ordered.get() + indices.size(), indices.begin());
        Scratch<uint32_t> remap(n);
        used = meshopt_optimizeVertexFetchRemap(remap.get(), indices.data(), indices.size(), n);
        meshopt_remapIndexBuffer(indices.data(), indices.data(), indices.size(), remap.get());
        positions.remap(remap.get(), n, used, 4);
        if (textured)
            texcoords.remap(remap.get(), n, used, 2);
    }

    e.vertexCount = used;
    e.indexCount = indices.size();
    for (int k = 0; k < 3; ++k)
        e.lo[k] = 65535, e.hi[k] = 0;
    for (size_t i = 0; i < used; ++i)
        for (int k = 0; k < 3; ++k) {
            e.lo[k] = std::min(e.lo[k], double(positions[4 * i + k]));
            e.hi[k] = std::max(e.hi[k], double(positions[4 * i + k]));
        }
    e.position = compressVertices(positions.get(), used, 8, "NONE");
    positions.release();
    if (textured)
        e.texcoord = compressVertices(texcoords.get(), used, 8, "EXPONENTIAL");
    texcoords.release();

    const bool shortIndices = used <= 65535;
    e.indexComponent = shortIndices ? kUnsignedShort : kUnsignedInt;
    Stream& s = e.index;
    s.stride = shortIndices ? 2 : 4;
    s.count = indices.size();
    s.decodedLength = indices.size() * static_cast<size_t>(s.stride);
    s.mode = "TRIANGLES";
    s.filter = "NONE";
    Scratch<unsigned char> out(meshopt_encodeIndexBufferBound(indices.size(), used));
    const size_t size = meshopt_encodeIndexBuffer(out.get(), out.size(), indices.data(), indices.size());
    s.bytes.assign(out.get(), out.get() + size);
    return e;
}

}  // namespace gltfEncoding
