#include "core/Profiler.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/Assert.h"

TEST(Profiler, SectionsAreFoundByKeyAndCountCalls) {
    Profiler p;
    for (int i = 0; i < 3; ++i) {
        p.enter(1, "Traversal");
        p.enter(2, "Generate");
        p.leave();
        p.enter(2, "Generate");
        p.leave();
        p.leave();
    }
    p.enter(3, "Submit");
    p.leave();
    const auto* traversal = p.root().firstChild.get();
    ASSERT_NE(traversal, nullptr);
    EXPECT_EQ(traversal->name, "Traversal");
    EXPECT_EQ(traversal->calls, 3);
    ASSERT_NE(traversal->firstChild, nullptr);
    EXPECT_EQ(traversal->firstChild->calls, 6);
    EXPECT_EQ(traversal->firstChild->next, nullptr);
    ASSERT_NE(traversal->next, nullptr);
    EXPECT_EQ(traversal->next->name, "Submit");
    EXPECT_EQ(p.current(), &p.root());
}

TEST(Profiler, NestedEntriesOfOneSectionTimeOnlyTheOutermost) {
    Profiler p;
    p.enter(1, "Outer");
    p.enter(1, "Outer");  // recursion into the same key is a child section
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    p.leave();
    p.leave();
    const auto* outer = p.root().firstChild.get();
    EXPECT_GE(outer->seconds, 0.004);
    EXPECT_GE(outer->firstChild->seconds, 0.004);
    p.countFrame();
    p.countFrame();
    EXPECT_EQ(p.frameCount(), 2);
    p.resetFrame();
    EXPECT_EQ(outer->calls, 0);
    EXPECT_EQ(outer->seconds, 0);
    EXPECT_EQ(p.frameCount(), 0);
    EXPECT_LT(p.secondsSinceReset(), 1.0);
}

TEST(Profiler, LeavingTheRootAsserts) {
    Profiler p;
    EXPECT_THROW(p.leave(), AssertException);
}
