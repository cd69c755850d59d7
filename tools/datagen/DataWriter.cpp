#include "tools/datagen/DataWriter.h"

#include "core/Assert.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <lib3ds/file.h>
#include <lib3ds/io.h>

namespace fs = std::filesystem;

DataWriter::DataWriter(std::string directory) : directory_(std::move(directory)) {}

bool DataWriter::write(const std::string& relative, const std::vector<uint8_t>& bytes) {
    fs::path path = fs::path(directory_) / relative;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes) {
                ++unchanged_;
                return true;
            }
        }
    }
    fs::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "callimora-datagen: cannot write %s\n", temporary.string().c_str());
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::fprintf(stderr, "callimora-datagen: cannot replace %s: %s\n", path.string().c_str(),
                     error.message().c_str());
        fs::remove(temporary, error);
        return false;
    }
    ++written_;
    return true;
}

namespace {

// A growable byte buffer behind lib3ds' stream interface; lib3ds seeks back
// to patch chunk sizes, so writes may land inside what is already there.
struct MemoryStream {
    std::vector<uint8_t> bytes;
    long position = 0;
};

Lib3dsBool streamError(void*) { return LIB3DS_FALSE; }

long streamSeek(void* self, long offset, Lib3dsIoSeek origin) {
    auto* s = static_cast<MemoryStream*>(self);
    long base = origin == LIB3DS_SEEK_SET ? 0 : (origin == LIB3DS_SEEK_CUR ? s->position : long(s->bytes.size()));
    if (base + offset < 0)
        return -1;
    s->position = base + offset;
    return 0;
}

long streamTell(void* self) { return static_cast<MemoryStream*>(self)->position; }

size_t streamRead(void*, void*, size_t) { return 0; }

size_t streamWrite(void* self, const void* buffer, size_t size) {
    auto* s = static_cast<MemoryStream*>(self);
    size_t end = size_t(s->position) + size;
    if (s->bytes.size() < end)
        s->bytes.resize(end, 0);
    std::memcpy(s->bytes.data() + s->position, buffer, size);
    s->position = long(end);
    return size;
}

}  // namespace

std::vector<uint8_t> DataWriter::encode3ds(Lib3dsFile* file) {
    MemoryStream stream;
    Lib3dsIo* io = lib3ds_io_new(&stream, streamError, streamSeek, streamTell, streamRead, streamWrite);
    CALLI_ASSERT(io != nullptr);
    Lib3dsBool ok = lib3ds_file_write(file, io);
    lib3ds_io_free(io);
    CALLI_ASSERT(ok);
    return stream.bytes;
}
