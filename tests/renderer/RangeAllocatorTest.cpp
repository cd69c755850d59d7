// The shared buffers' range allocator: ranges never overlap, holes join
// again, and a long random run of allocations and releases ends where it began.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "core/Assert.h"
#include "renderer/RangeAllocator.h"

TEST(RangeAllocator, BestFitAndJoinedHoles) {
    RangeAllocator a(100);
    const auto first = a.allocate(10), second = a.allocate(20), third = a.allocate(30);
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(*first, 0u);
    EXPECT_EQ(*second, 10u);
    EXPECT_EQ(*third, 30u);
    EXPECT_EQ(a.used(), 60u);
    a.release(*first, 10);
    // A 5 goes into the 10-hole, not the 40 at the end.
    EXPECT_EQ(a.allocate(5), std::optional<uint32_t>(0));
    EXPECT_FALSE(a.allocate(41)) << "no hole is that large";
    a.release(0, 5);
    a.release(*second, 20);
    a.release(*third, 30);
    EXPECT_EQ(a.used(), 0u);
    EXPECT_EQ(a.holes(), 1u) << "everything joined into one hole";
    EXPECT_EQ(a.allocate(100), std::optional<uint32_t>(0));
}

TEST(RangeAllocator, ARangeGivenBackTwiceIsAFailedCheck) {
    RangeAllocator a(64);
    const auto r = a.allocate(8);
    ASSERT_TRUE(r);
    a.allocate(8);
    a.release(*r, 8);
    EXPECT_THROW(a.release(*r, 8), AssertException);
}

TEST(RangeAllocator, RandomRunNeverOverlapsAndEndsEmpty) {
    RangeAllocator a(1 << 16);
    std::mt19937 random(7);
    std::vector<std::pair<uint32_t, uint32_t>> live;  // start, length
    std::vector<uint8_t> taken(1 << 16, 0);
    for (int step = 0; step < 20000; ++step) {
        if (live.empty() || random() % 3 != 0) {
            const uint32_t length = 1 + random() % 300;
            const auto start = a.allocate(length);
            if (!start)
                continue;
            for (uint32_t i = *start; i < *start + length; ++i) {
                ASSERT_EQ(taken[i], 0) << "overlap at " << i;
                taken[i] = 1;
            }
            live.emplace_back(*start, length);
        } else {
            const size_t k = random() % live.size();
            const auto [start, length] = live[k];
            std::fill_n(taken.begin() + start, length, 0);
            a.release(start, length);
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(k));
        }
    }
    for (const auto& [start, length] : live)
        a.release(start, length);
    EXPECT_EQ(a.used(), 0u);
    EXPECT_EQ(a.holes(), 1u);
}
