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
