// The tour's frame breakdown and pass figures: splitting the profiling
// timer's sections into parts, percentiles, the repeat growth rule and the
// resident memory read from the kernel.
#include "tools/tour/TourBreakdown.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tools/tour/ResidentMemory.h"

namespace {

Profiler::Section* addChild(Profiler::Section& parent, uint32_t key, double seconds) {
    auto made = std::make_unique<Profiler::Section>();
    made->key = key;
    made->seconds = seconds;
    made->parent = &parent;
    Profiler::Section* raw = made.get();
    std::unique_ptr<Profiler::Section>* slot = &parent.firstChild;
    while (*slot)
        slot = &(*slot)->next;
    *slot = std::move(made);
    return raw;
}

// The median and p99 printed on the row named name; false when there is no such row.
bool row(const char* text, const char* name, double& median, double& p99) {
    const char* at = std::strstr(text, name);
    return at && std::sscanf(at + std::strlen(name), "%lf %lf", &median, &p99) == 2;
}

}  // namespace

TEST(TourBreakdown, NestedSectionsCountOnlyInTheInnermostPart) {
    // Render 10 s: Generate 3 s holding a Record of 1 s, a Record of 2 s
    // holding a Submit of 0.5 s, and a Submit of 1 s.
    Profiler::Section render;
    render.key = profile::kRender;
    render.seconds = 10;
    Profiler::Section* generate = addChild(render, profile::kGenerate, 3);
    addChild(*generate, profile::kRecord, 1);
    Profiler::Section* record = addChild(render, profile::kRecord, 2);
    addChild(*record, profile::kSubmit, 0.5);
    addChild(render, profile::kSubmit, 1);

    EXPECT_DOUBLE_EQ(TourBreakdown::exclusiveSeconds(render, profile::kGenerate), 2.0);
    EXPECT_DOUBLE_EQ(TourBreakdown::exclusiveSeconds(render, profile::kRecord), 2.5);
    EXPECT_DOUBLE_EQ(TourBreakdown::exclusiveSeconds(render, profile::kSubmit), 1.5);

    const TourBreakdown::Frame f = TourBreakdown::split(render, 7.0);
    EXPECT_DOUBLE_EQ(f.generation, 2000.0);
    EXPECT_DOUBLE_EQ(f.tessellation, 2500.0);
    EXPECT_DOUBLE_EQ(f.submission, 1500.0);
    EXPECT_DOUBLE_EQ(f.traversal, 4000.0);
    EXPECT_DOUBLE_EQ(f.finish, 7.0);
    EXPECT_DOUBLE_EQ(f.ownWork(), 8500.0);
}

TEST(TourBreakdown, SplitOfATimedFrameAddsUpToTheFrame) {
    Profiler p;
    p.enter(profile::kRender, "Render");
    for (int i = 0; i < 3; ++i) {
        p.enter(profile::kGenerate, "Generate");
        p.enter(profile::kRecord, "Record");
        p.enter(profile::kSubmit, "Submit");
        p.leave();
        p.leave();
        p.leave();
    }
    p.leave();
    const Profiler::Section& render = *p.root().firstChild;
    const TourBreakdown::Frame f = TourBreakdown::split(p, 1.5);
    EXPECT_NEAR(f.ownWork() + f.submission, 1000 * render.seconds, 1e-9);
    EXPECT_GE(f.traversal, 0);
    EXPECT_GE(f.generation, 0);
    EXPECT_DOUBLE_EQ(f.finish, 1.5);

    // No frame section: nothing but the finish.
    Profiler empty;
    const TourBreakdown::Frame none = TourBreakdown::split(empty, 2.0);
    EXPECT_EQ(none.ownWork() + none.submission, 0);
    EXPECT_DOUBLE_EQ(none.finish, 2.0);
}

TEST(TourBreakdown, SecondPassGrowthRule) {
    TourBreakdown b;
    EXPECT_FALSE(b.endedWithin(0, 1, 1.5));
    b.endPass(0, {2000, 1000, 100});
    EXPECT_NE(b.passEnd(0), nullptr);
    EXPECT_EQ(b.passEnd(1), nullptr);
    EXPECT_FALSE(b.endedWithin(0, 1, 1.5));
    b.endPass(1, {3000, 1500, 150});
    EXPECT_TRUE(b.endedWithin(0, 1, 1.5));
    EXPECT_FALSE(b.endedWithin(0, 1, 1.4));

    TourBreakdown memory, live;
    memory.endPass(0, {0, 1000, 100});
    memory.endPass(1, {0, 1501, 100});
    EXPECT_FALSE(memory.endedWithin(0, 1, 1.5));
    EXPECT_TRUE(memory.endedWithin(0, 1, 1.5, false));
    live.endPass(0, {0, 1000, 100});
    live.endPass(1, {0, 1000, 151});
    EXPECT_FALSE(live.endedWithin(0, 1, 1.5));
    EXPECT_FALSE(live.endedWithin(0, 1, 1.5, false));
}

TEST(TourBreakdown, SummaryShowsDevicePartsOnlyWhenRendered) {
    TourBreakdown b;
    TourBreakdown::Frame f;
    f.traversal = 1;
    f.generation = 2;
    f.tessellation = 3;
    f.submission = 4;
    b.add(0, f);
    b.endPass(0, {300, 200, 10});
    char text[2048] = {};
    std::FILE* out = fmemopen(text, sizeof text - 1, "w");
    ASSERT_NE(out, nullptr);
    b.print(0, false, out);
    std::fclose(out);
    double median = 0, p99 = 0;
    ASSERT_TRUE(row(text, "traversal+generation+tessellation", median, p99)) << text;
    EXPECT_DOUBLE_EQ(median, 6.0);
    EXPECT_DOUBLE_EQ(p99, 6.0);
    EXPECT_EQ(std::strstr(text, "GL submission"), nullptr) << text;
    EXPECT_NE(std::strstr(text, "peak resident 300 kB  final resident 200 kB  live descriptions 10"), nullptr)
        << text;

    std::memset(text, 0, sizeof text);
    out = fmemopen(text, sizeof text - 1, "w");
    ASSERT_NE(out, nullptr);
    b.print(0, true, out);
    std::fclose(out);
    ASSERT_TRUE(row(text, "GL submission", median, p99)) << text;
    EXPECT_DOUBLE_EQ(median, 4.0);
}

TEST(ResidentMemory, FollowsTouchedMemory) {
    const long before = ResidentMemory::currentKb();
    ASSERT_GT(before, 0);
    ASSERT_TRUE(ResidentMemory::resetPeak());
    // Straight from the kernel, so that no allocator keeps it after the unmap.
    constexpr size_t kBytes = 64u << 20;
    constexpr long kKb = static_cast<long>(kBytes / 1024);
    void* block = mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(block, MAP_FAILED);
    std::memset(block, 1, kBytes);
    EXPECT_GE(ResidentMemory::currentKb() - before, kKb * 3 / 4);
    ASSERT_EQ(munmap(block, kBytes), 0);
    EXPECT_LT(ResidentMemory::currentKb() - before, kKb / 4);

    const long peak = ResidentMemory::peakKb();
    EXPECT_GE(peak - before, kKb * 3 / 4);
    // A new peak starts from the current size.
    ASSERT_TRUE(ResidentMemory::resetPeak());
    const long newPeak = ResidentMemory::peakKb();
    EXPECT_LT(newPeak, peak - kKb / 2);
    EXPECT_GE(newPeak, ResidentMemory::currentKb() - 1024);
}
