#include "editor/PropertyWindow.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/Desc.h"
#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

int entry(const ParameterList& list, const char* name) {
    for (int i = 0; i < list.count(); ++i)
        if (list.name(i) == name)
            return i;
    return -1;
}

}  // namespace

TEST(PropertyWindow, ShowsTheWorldRootsList) {
    std::unique_ptr<Desc> world;
    buildWorld(world);
    PropertyWindow window;
    window.setTarget(world.get());
    ASSERT_NE(window.list(), nullptr);
    const ParameterList& list = *window.list();
    ASSERT_GT(list.count(), 3);
    EXPECT_EQ(list.name(0), "TypRegIrregular");
    EXPECT_EQ(list.record(0), nullptr);  // a heading
    const int over = entry(list, "Over height");
    ASSERT_GE(over, 0);
    EXPECT_STREQ(list.record(over)->text(), "70.000000");
    window.setTarget(nullptr);
    EXPECT_EQ(window.list(), nullptr);
    destroyWorld(world);
}

TEST(PropertyWindow, EditingAValueRegeneratesTheSubtree) {
    std::unique_ptr<Desc> world;
    auto* root = buildWorld(world);
    // Grow the first level below the root.
    root->refine(Matrix44::identity());
    ASSERT_GT(root->childCount(), 0);

    PropertyWindow window;
    window.setTarget(root);
    const int over = entry(*window.list(), "Over height");
    ASSERT_GE(over, 0);
    ASSERT_TRUE(window.edit(over, "75"));
    EXPECT_FLOAT_EQ(root->overHeight, 75.0f);
    // The children were grown from the old value: gone, to grow again.
    EXPECT_EQ(root->childCount(), 0);
    // The list is made afresh and shows the new text.
    const int again = entry(*window.list(), "Over height");
    ASSERT_GE(again, 0);
    EXPECT_STREQ(window.list()->record(again)->text(), "75.000000");

    // Headings and entries past the end take no text.
    EXPECT_FALSE(window.edit(0, "1"));
    EXPECT_FALSE(window.edit(window.list()->count(), "1"));
    window.setTarget(nullptr);
    destroyWorld(world);
}

// What ended the program before: an over height of 4 or "nan" at the root
// tripped a check in the first urban block. Refused, with a message beside
// the field; the old value and the grown subtree stay.
TEST(PropertyWindow, UnusableValuesAreRefusedWithAMessage) {
    std::unique_ptr<Desc> world;
    auto* root = buildWorld(world);
    root->refine(Matrix44::identity());
    const int children = root->childCount();
    ASSERT_GT(children, 0);

    PropertyWindow window;
    window.setTarget(root);
    const int over = entry(*window.list(), "Over height");
    ASSERT_GE(over, 0);
    for (const char* text : {"4", "nan", "inf", "-1", "", "abc", "1e30", "70m"}) {
        EXPECT_FALSE(window.edit(over, text)) << text;
        EXPECT_FLOAT_EQ(root->overHeight, 70.0f) << text;
        EXPECT_EQ(root->childCount(), children) << text;
        const std::string message = window.message(over);
        EXPECT_EQ(message.rfind(std::string("\"") + text + "\" refused: ", 0), 0u) << message;
    }
    EXPECT_NE(window.message(over).find("not a number"), std::string::npos) << window.message(over);
    EXPECT_FALSE(window.edit(over, "4.5"));
    EXPECT_NE(window.message(over).find("must be between 5 and 1000"), std::string::npos) << window.message(over);
    // Every float entry of the root refuses what is not finite.
    for (int i = 0; i < window.list()->count(); ++i) {
        ValueRange range;
        if (window.list()->record(i) && window.list()->record(i)->range(range))
            for (const char* text : {"nan", "-inf"}) {
                EXPECT_FALSE(window.edit(i, text)) << window.list()->name(i);
                EXPECT_FALSE(window.message(i).empty()) << window.list()->name(i);
            }
    }
    // A good value clears the message and is written.
    ASSERT_TRUE(window.edit(over, "80"));
    EXPECT_FLOAT_EQ(root->overHeight, 80.0f);
    EXPECT_TRUE(window.message(over).empty());
    window.setTarget(nullptr);
    destroyWorld(world);
}
