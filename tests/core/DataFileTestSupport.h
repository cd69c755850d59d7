#pragma once
// Scratch files in the data directory for the table tests. Header only.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A .3DS file in the data directory under a name no real data file uses
// (prefix, process id, tag): removed again when it goes out of scope.
class ScratchDataFile {
public:
    ScratchDataFile(const std::string& prefix, const std::string& tag)
        : name_(prefix + std::to_string(getpid()) + "_" + tag), path_("../data/" + name_ + ".3DS") {}
    ~ScratchDataFile() { std::remove(path_.c_str()); }
    ScratchDataFile(const ScratchDataFile&) = delete;
    ScratchDataFile& operator=(const ScratchDataFile&) = delete;

    const char* name() const { return name_.c_str(); }
    const std::string& path() const { return path_; }

    void writeBytes(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::string name_;
    std::string path_;
};

// The whole file as bytes; empty when it cannot be read.
inline std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
