// The list of merged copies without a GL context: the least recently drawn
// go first, a copy drawn again is kept, and groups and list may go in either
// order.
#include <gtest/gtest.h>

#include <memory>

#include "renderer/MergedCopies.h"
#include "renderer/MergedGroup.h"

TEST(MergedCopies, GivesBackWhatWasNotDrawnForLongAndKeepsWhatWas) {
    MergedCopies copies;
    MergedGroup a, b, c;
    copies.drawn(a, 1);
    copies.drawn(b, 2);
    copies.drawn(c, 3);
    copies.drawn(a, 10);  // drawn again: now the most recent
    copies.drawn(a, 10);
    EXPECT_EQ(copies.count(), 3);

    EXPECT_EQ(copies.releaseIdle(61, 60), 0) << "nothing idle for 60 frames yet";
    EXPECT_EQ(copies.releaseIdle(62, 60), 1) << "b, drawn in frame 2";
    EXPECT_EQ(copies.count(), 2);
    EXPECT_EQ(copies.releaseIdle(69, 60), 1) << "c; a was drawn again in frame 10";
    EXPECT_EQ(copies.count(), 1);
    EXPECT_EQ(copies.released, 2);

    // A released group drawn again is listed again.
    copies.drawn(b, 70);
    EXPECT_EQ(copies.count(), 2);
    EXPECT_EQ(copies.releaseIdle(130, 60), 2);
    EXPECT_EQ(copies.count(), 0);
    EXPECT_EQ(copies.bytes(), 0u);
}

TEST(MergedCopies, GroupsAndListGoInEitherOrder) {
    auto copies = std::make_unique<MergedCopies>();
    auto first = std::make_unique<MergedGroup>();
    auto second = std::make_unique<MergedGroup>();
    auto third = std::make_unique<MergedGroup>();
    copies->drawn(*first, 1);
    copies->drawn(*second, 2);
    copies->drawn(*third, 3);
    // The middle one goes: its neighbours stay linked.
    second.reset();
    EXPECT_EQ(copies->count(), 2);
    EXPECT_EQ(copies->releaseIdle(100, 60), 2);
    copies->drawn(*first, 101);
    // The list goes first: the group forgets it and goes later on its own.
    copies.reset();
    first.reset();
    third.reset();
}
