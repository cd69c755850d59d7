#pragma once
// Ranges of a fixed span [0, capacity) handed out and taken back: best fit
// among the free holes, neighbouring holes joined again on release. Meshes
// take their vertices and indices from the renderer's shared buffers this way.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <utility>

class RangeAllocator {
public:
    explicit RangeAllocator(uint32_t capacity);

    // The start of a free range of length > 0, or nothing when no hole is
    // large enough.
    std::optional<uint32_t> allocate(uint32_t length);
    // Gives back a range allocate() returned, with its length.
    void release(uint32_t start, uint32_t length);

    uint32_t capacity() const { return capacity_; }
    uint32_t used() const { return used_; }
    // Free holes (1 when nothing is handed out).
    size_t holes() const { return byStart_.size(); }

private:
    void insertHole(uint32_t start, uint32_t length);
    void eraseHole(std::map<uint32_t, uint32_t>::iterator hole);

    uint32_t capacity_;
    uint32_t used_ = 0;
    std::map<uint32_t, uint32_t> byStart_;             // start -> length
    std::set<std::pair<uint32_t, uint32_t>> byLength_;  // (length, start)
};
