#pragma once
// Writes the generator's own files into the data directory. A file whose
// bytes are already there is left alone (time stamp included); every other
// file in the directory (the camera file, the error log, anything a person
// put there) is never read, replaced or deleted.
#include <cstdint>
#include <string>
#include <vector>

struct Lib3dsFile;

class DataWriter {
public:
    explicit DataWriter(std::string directory);

    // `relative` is one of the generator's names ("Brick1.3DS",
    // "Bitmaps/brick1.jpg"). Writes through a temporary file and a rename so
    // a reader never sees half a file. False, with the reason on stderr, on failure.
    bool write(const std::string& relative, const std::vector<uint8_t>& bytes);

    int written() const { return written_; }
    int unchanged() const { return unchanged_; }

    // The bytes lib3ds writes for a file (not freed here).
    static std::vector<uint8_t> encode3ds(Lib3dsFile* file);

private:
    std::string directory_;
    int written_ = 0;
    int unchanged_ = 0;
};
