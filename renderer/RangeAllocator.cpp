#include "renderer/RangeAllocator.h"

#include "core/Assert.h"

RangeAllocator::RangeAllocator(uint32_t capacity) : capacity_(capacity) {
    if (capacity_ > 0)
        insertHole(0, capacity_);
}

void RangeAllocator::insertHole(uint32_t start, uint32_t length) {
    byStart_.emplace(start, length);
    byLength_.emplace(length, start);
}

void RangeAllocator::eraseHole(std::map<uint32_t, uint32_t>::iterator hole) {
    byLength_.erase({hole->second, hole->first});
    byStart_.erase(hole);
}

std::optional<uint32_t> RangeAllocator::allocate(uint32_t length) {
    CALLI_ASSERT(length > 0);
    const auto best = byLength_.lower_bound({length, 0});
    if (best == byLength_.end())
        return std::nullopt;
    const uint32_t start = best->second, holeLength = best->first;
    eraseHole(byStart_.find(start));
    if (holeLength > length)
        insertHole(start + length, holeLength - length);
    used_ += length;
    return start;
}

void RangeAllocator::release(uint32_t start, uint32_t length) {
    CALLI_ASSERT(length > 0 && length <= used_ && start <= capacity_ - length);
    used_ -= length;
    auto next = byStart_.lower_bound(start);
    // A range given back twice, or one never handed out, overlaps a hole.
    CALLI_ASSERT(next == byStart_.end() || start + length <= next->first);
    if (next != byStart_.end() && next->first == start + length) {
        length += next->second;
        next = std::next(next);
        eraseHole(std::prev(next));
    }
    if (next != byStart_.begin()) {
        const auto previous = std::prev(next);
        CALLI_ASSERT(previous->first + previous->second <= start);
        if (previous->first + previous->second == start) {
            start = previous->first;
            length += previous->second;
            eraseHole(previous);
        }
    }
    insertHole(start, length);
}
