#include "core/ModelFile.h"

#include <lib3ds/file.h>
#include <lib3ds/io.h>
#include <lib3ds/material.h>
#include <lib3ds/mesh.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr const char* kDataDirectory = "../data/";
constexpr const char* kModelSuffix = ".3DS";
// Our models are a few hundred kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxFileSize = 64u << 20;
// lib3ds keeps names in 64-character buffers, terminator included.
constexpr size_t kMaxName = 64;

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        const unsigned char la = (ca >= 'A' && ca <= 'Z') ? ca + ('a' - 'A') : ca;
        const unsigned char lb = (cb >= 'A' && cb <= 'Z') ? cb + ('a' - 'A') : cb;
        if (la != lb)
            return false;
    }
    return true;
}

// Chunk identifiers of the 3DS format that the system reads (lib3ds names).
enum : uint16_t {
    kMain = 0x4D4D,          // M3DMAGIC
    kVersion = 0x0002,       // M3D_VERSION
    kEditor = 0x3D3D,        // MDATA
    kMeshVersion = 0x3D3E,   // MESH_VERSION
    kMasterScale = 0x0100,   // MASTER_SCALE
    kMaterial = 0xAFFF,      // MAT_ENTRY
    kMaterialName = 0xA000,  // MAT_NAME
    kAmbient = 0xA010,
    kDiffuse = 0xA020,
    kSpecular = 0xA030,
    kShininess = 0xA040,
    kShininessStrength = 0xA041,
    kTransparency = 0xA050,
    kAdditive = 0xA083,
    kWireSize = 0xA087,
    kTextureMap = 0xA200,    // MAT_TEXMAP
    kMapName = 0xA300,
    kMapTiling = 0xA351,
    kMapBlur = 0xA353,
    kMapUScale = 0xA354,
    kMapVScale = 0xA356,
    kMapUOffset = 0xA358,
    kMapVOffset = 0xA35A,
    kMapAngle = 0xA35C,
    kColourFloat = 0x0010,
    kColour24 = 0x0011,
    kLinearColour24 = 0x0012,
    kLinearColourFloat = 0x0013,
    kIntPercentage = 0x0030,
    kFloatPercentage = 0x0031,
    kNamedObject = 0x4000,
    kTriangleObject = 0x4100,
    kPointArray = 0x4110,
    kFaceArray = 0x4120,
    kFaceMaterial = 0x4130,  // MSH_MAT_GROUP
    kSmoothGroup = 0x4150,
    kTexelArray = 0x4140,    // TEX_VERTS
    kMeshMatrix = 0x4160,
};

constexpr size_t kHeader = 6;  // id (u16) and size (u32, header included)

// Copies the parts of a 3DS file that the system reads into a new buffer,
// checking each against its chunk before lib3ds sees it: lib3ds trusts the
// sizes, counts and indices it reads, and a damaged file would make it read
// or write outside its arrays. Any misfit refuses the whole file.
class CheckedCopy {
public:
    explicit CheckedCopy(const std::vector<uint8_t>& in) : in_(in) {}

    bool run() {
        Chunk root;
        if (!chunkAt(0, in_.size(), root) || root.id != kMain)
            return false;
        const size_t at = begin(kMain);
        bool ok = children(root.data, root.end, [&](const Chunk& c) {
            switch (c.id) {
                case kVersion:
                    return fixed(c, 4);
                case kEditor:
                    return editor(c);
                default:
                    return true;  // not read: dropped
            }
        });
        finish(at);
        return ok;
    }

    const std::vector<uint8_t>& output() const { return out_; }

private:
    struct Chunk {
        uint16_t id = 0;
        size_t start = 0, data = 0, end = 0;
        size_t size() const { return end - data; }
    };

    uint16_t u16(size_t at) const { return static_cast<uint16_t>(in_[at] | (in_[at + 1] << 8)); }
    uint32_t u32(size_t at) const {
        return static_cast<uint32_t>(in_[at]) | (static_cast<uint32_t>(in_[at + 1]) << 8) |
               (static_cast<uint32_t>(in_[at + 2]) << 16) | (static_cast<uint32_t>(in_[at + 3]) << 24);
    }

    // A chunk at `at` that lies wholly before `limit`.
    bool chunkAt(size_t at, size_t limit, Chunk& c) const {
        if (limit > in_.size() || at > limit || limit - at < kHeader)
            return false;
        const uint32_t size = u32(at + 2);
        if (size < kHeader || size > limit - at)
            return false;
        c.id = u16(at);
        c.start = at;
        c.data = at + kHeader;
        c.end = at + size;
        return true;
    }

    // Visits the chunks from `from` to `to`; they must tile the range exactly.
    template <class Visit>
    bool children(size_t from, size_t to, Visit visit) {
        while (from < to) {
            Chunk c;
            if (!chunkAt(from, to, c) || !visit(c))
                return false;
            from = c.end;
        }
        return true;
    }

    // A zero-terminated name of at most kMaxName - 1 characters starting at
    // `at` within the chunk; gives the offset past the terminator.
    bool name(const Chunk& c, size_t at, size_t& after) const {
        const size_t room = std::min(c.end - at, kMaxName);
        for (size_t i = 0; i < room; ++i)
            if (in_[at + i] == 0) {
                after = at + i + 1;
                return true;
            }
        return false;
    }

    size_t begin(uint16_t id) {
        const size_t at = out_.size();
        out_.resize(at + kHeader);
        out_[at] = static_cast<uint8_t>(id);
        out_[at + 1] = static_cast<uint8_t>(id >> 8);
        return at;
    }
    void finish(size_t at) {
        const uint32_t size = static_cast<uint32_t>(out_.size() - at);
        for (int i = 0; i < 4; ++i)
            out_[at + 2 + i] = static_cast<uint8_t>(size >> (8 * i));
    }
    void copy(size_t from, size_t to) { out_.insert(out_.end(), in_.begin() + from, in_.begin() + to); }
    void copy(const Chunk& c) { copy(c.start, c.end); }

    bool fixed(const Chunk& c, size_t bytes) {
        if (c.size() < bytes)
            return false;
        copy(c);
        return true;
    }

    bool editor(const Chunk& editor) {
        const size_t at = begin(kEditor);
        const bool ok = children(editor.data, editor.end, [&](const Chunk& c) {
            switch (c.id) {
                case kMeshVersion:
                case kMasterScale:
                    return fixed(c, 4);
                case kMaterial:
                    return material(c);
                case kNamedObject:
                    return namedObject(c);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    bool colour(const Chunk& colour) {
        const size_t at = begin(colour.id);
        const bool ok = children(colour.data, colour.end, [&](const Chunk& c) {
            switch (c.id) {
                case kColourFloat:
                case kLinearColourFloat:
                    return fixed(c, 12);
                case kColour24:
                case kLinearColour24:
                    return fixed(c, 3);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    bool percentage(const Chunk& percentage) {
        const size_t at = begin(percentage.id);
        const bool ok = children(percentage.data, percentage.end, [&](const Chunk& c) {
            switch (c.id) {
                case kIntPercentage:
                    return fixed(c, 2);
                case kFloatPercentage:
                    return fixed(c, 4);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    bool textureMap(const Chunk& map) {
        const size_t at = begin(map.id);
        const bool ok = children(map.data, map.end, [&](const Chunk& c) {
            size_t after = 0;
            switch (c.id) {
                case kIntPercentage:
                    return fixed(c, 2);
                case kFloatPercentage:
                    return fixed(c, 4);
                case kMapName:
                    if (!name(c, c.data, after))
                        return false;
                    copy(c);
                    return true;
                case kMapTiling:
                    return fixed(c, 2);
                case kMapBlur:
                case kMapUScale:
                case kMapVScale:
                case kMapUOffset:
                case kMapVOffset:
                case kMapAngle:
                    return fixed(c, 4);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    bool material(const Chunk& material) {
        const size_t at = begin(kMaterial);
        const bool ok = children(material.data, material.end, [&](const Chunk& c) {
            size_t after = 0;
            switch (c.id) {
                case kMaterialName:
                    if (!name(c, c.data, after))
                        return false;
                    copy(c);
                    return true;
                case kAmbient:
                case kDiffuse:
                case kSpecular:
                    return colour(c);
                case kShininess:
                case kShininessStrength:
                case kTransparency:
                    return percentage(c);
                case kAdditive:
                    copy(c);
                    return true;
                case kWireSize:
                    return fixed(c, 4);
                case kTextureMap:
                    return textureMap(c);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    bool namedObject(const Chunk& object) {
        size_t after = 0;
        if (!name(object, object.data, after))
            return false;
        const size_t at = begin(kNamedObject);
        copy(object.data, after);
        const bool ok = children(after, object.end, [&](const Chunk& c) {
            return c.id == kTriangleObject ? triangleObject(c) : true;
        });
        finish(at);
        return ok;
    }

    bool triangleObject(const Chunk& object) {
        const size_t at = begin(kTriangleObject);
        // A later array replaces an earlier one, as lib3ds reads them.
        size_t points = 0, faces = 0, highestIndex = 0;
        const bool ok = children(object.data, object.end, [&](const Chunk& c) {
            switch (c.id) {
                case kPointArray:
                    if (!counted(c, 12))
                        return false;
                    points = u16(c.data);
                    return true;
                case kTexelArray:
                    return counted(c, 8);
                case kFaceArray:
                    return faceArray(c, faces, highestIndex);
                case kMeshMatrix:
                    return fixed(c, 48);
                default:
                    return true;
            }
        });
        finish(at);
        // lib3ds computes face normals from the points the faces index.
        return ok && (faces == 0 || highestIndex < points);
    }

    // A u16 count followed by that many records of `record` bytes.
    bool counted(const Chunk& c, size_t record) {
        if (c.size() < 2 || u16(c.data) * record > c.size() - 2)
            return false;
        copy(c);
        return true;
    }

    // Gives the face count and the highest point index of the faces.
    bool faceArray(const Chunk& faces, size_t& count, size_t& highestIndex) {
        if (faces.size() < 2)
            return false;
        count = u16(faces.data);
        const size_t subchunks = faces.data + 2 + count * 8;
        if (subchunks > faces.end)
            return false;
        highestIndex = 0;
        for (size_t i = 0; i < count; ++i)
            for (size_t k = 0; k < 3; ++k)
                highestIndex = std::max<size_t>(highestIndex, u16(faces.data + 2 + i * 8 + k * 2));
        const size_t at = begin(kFaceArray);
        copy(faces.data, subchunks);
        const bool ok = children(subchunks, faces.end, [&](const Chunk& c) {
            size_t after = 0;
            switch (c.id) {
                case kFaceMaterial: {
                    // lib3ds writes the name into each listed face: the indices must exist.
                    if (!name(c, c.data, after) || c.end - after < 2)
                        return false;
                    const size_t listed = u16(after);
                    if (listed * 2 > c.end - after - 2)
                        return false;
                    for (size_t i = 0; i < listed; ++i)
                        if (u16(after + 2 + 2 * i) >= count)
                            return false;
                    copy(c);
                    return true;
                }
                case kSmoothGroup:
                    return fixed(c, 4 * count);
                default:
                    return true;
            }
        });
        finish(at);
        return ok;
    }

    const std::vector<uint8_t>& in_;
    std::vector<uint8_t> out_;
};

// lib3ds reading from memory; reads past the end come back short and zero-filled.
struct MemoryStream {
    const std::vector<uint8_t>* bytes;
    long position = 0;

    static Lib3dsBool error(void*) { return LIB3DS_FALSE; }
    static long seek(void* self, long offset, Lib3dsIoSeek origin) {
        auto* s = static_cast<MemoryStream*>(self);
        const long size = static_cast<long>(s->bytes->size());
        long base = 0;
        if (origin == LIB3DS_SEEK_CUR)
            base = s->position;
        else if (origin == LIB3DS_SEEK_END)
            base = size;
        const long target = base + offset;
        if (target < 0 || target > size)
            return -1;
        s->position = target;
        return 0;
    }
    static long tell(void* self) { return static_cast<MemoryStream*>(self)->position; }
    static size_t read(void* self, void* buffer, size_t size) {
        auto* s = static_cast<MemoryStream*>(self);
        const size_t left = s->bytes->size() - static_cast<size_t>(s->position);
        const size_t n = std::min(size, left);
        std::memcpy(buffer, s->bytes->data() + s->position, n);
        std::memset(static_cast<uint8_t*>(buffer) + n, 0, size - n);
        s->position += static_cast<long>(n);
        return n;
    }
    static size_t write(void*, const void*, size_t) { return 0; }
};

}  // namespace

std::string modelFile::path(const char* name) {
    if (!name || !*name)
        return {};
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string file = std::string(name) + kModelSuffix;
    const std::string direct = kDataDirectory + file;
    if (fs::is_regular_file(direct, error))
        return direct;
    // Names differ in case between callers ("wood1", "Wood1"); take the
    // first match in name order so the choice does not depend on the directory.
    std::string found;
    for (fs::directory_iterator it(kDataDirectory, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (sameIgnoringCase(candidate, file) && it->is_regular_file(error) && (found.empty() || candidate < found))
            found = candidate;
    }
    return found.empty() ? std::string() : kDataDirectory + found;
}

Lib3dsFile* modelFile::loadPath(const std::string& path) {
    if (path.empty())
        return nullptr;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileSize)
        return nullptr;
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return nullptr;

    CheckedCopy checked(bytes);
    if (!checked.run())
        return nullptr;
    MemoryStream memory{&checked.output()};
    Lib3dsIo* io = lib3ds_io_new(&memory, MemoryStream::error, MemoryStream::seek, MemoryStream::tell,
                                 MemoryStream::read, MemoryStream::write);
    if (!io)
        return nullptr;
    Lib3dsFile* file = lib3ds_file_new();
    const bool ok = file && lib3ds_file_read(file, io);
    lib3ds_io_free(io);
    if (!ok) {
        if (file)
            lib3ds_file_free(file);
        return nullptr;
    }
    return file;
}

Lib3dsFile* modelFile::load(const char* name) { return loadPath(path(name)); }
