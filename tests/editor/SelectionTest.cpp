// Picking, the selection's life and live edits on a real quarter's court building.
#include "editor/Selection.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/NullRenderContext.h"
#include "core/ParameterList.h"
#include "editor/PropertyWindow.h"
#include "renderer/MeshCollector.h"
#include "renderer/Picker.h"
#include "tools/tour/Census.h"
#include "tools/tour/TreeFingerprint.h"
#include "typology/World.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

namespace {

struct CourtFixture : ::testing::Test {
    void SetUp() override {
        TypRegIrregular* root = buildWorld(world);
        Matrix44 frame;
        quarter = censusQuarter(*world, root->land, nullptr, frame);
        ASSERT_NE(quarter, nullptr);
        growToLeaves(*quarter);
        court = first(*quarter);
        ASSERT_NE(court, nullptr);
        court->releaseChildren();
    }
    void TearDown() override { destroyWorld(world); }

    static TypBuiCourt* first(Desc& d) {
        if (auto* c = dynamic_cast<TypBuiCourt*>(&d))
            return c;
        for (int i = 0; i < d.childCount(); ++i)
            if (auto* child = dynamic_cast<Desc*>(d.child(i)))
                if (TypBuiCourt* c = first(*child))
                    return c;
        return nullptr;
    }
    // A world point on the building's roof, inside its plot.
    Vector roofPoint() const {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        court->poly.bounds(x0, y0, x1, y1);
        for (int k = 0; k < 400; ++k) {
            const float x = x0 + (x1 - x0) * (0.5f + 0.45f * std::cos(k * 2.4f) * (k / 400.0f));
            const float z = y0 + (y1 - y0) * (0.5f + 0.45f * std::sin(k * 2.4f) * (k / 400.0f));
            if (court->poly.containsPoint(x, z))
                return worldFrameOf(*court).transformPoint(
                    {x, court->extrusion.level + court->extrusion.height, z});
        }
        return worldFrameOf(*court).transformPoint(court->centre);
    }
    uint64_t grownPrint() {
        growToLeaves(*court);
        return treeFingerprint(*court);
    }

    std::unique_ptr<Desc> world;
    TypQuaIrregular* quarter = nullptr;
    TypBuiCourt* court = nullptr;
};

bool below(const Desc* d, const Desc* ancestor) {
    for (; d; d = d->parent)
        if (d == ancestor)
            return true;
    return false;
}

}  // namespace

TEST_F(CourtFixture, PickingSelectsTheBuildingUnderThePixelAndNothingOnTheSky) {
    NullRenderContext view(500, 400);
    const Vector roof = roofPoint();
    view.lookAt(roof + Vector(15, 60, 10), roof);
    const Picker::Ray ray = Picker::rayThroughPixel(view, 250, 200);
    EXPECT_EQ(Picker::pick(*world, ray).desc, court);
    // Grown, the deepest description under that pixel lies inside it.
    growToLeaves(*court);
    const Picker::Hit inside = Picker::pick(*world, ray);
    EXPECT_NE(inside.desc, court);
    EXPECT_TRUE(below(inside.desc, court));

    view.lookAt(roof, roof + Vector(0, 100, 10));
    EXPECT_EQ(Picker::pick(*world, Picker::rayThroughPixel(view, 250, 200)).desc, nullptr);
}

TEST_F(CourtFixture, ACollapsedSelectionClearsItself) {
    growToLeaves(*court);
    Desc* deep = court;
    while (deep->childCount() > 0 && dynamic_cast<Desc*>(deep->child(0)))
        deep = static_cast<Desc*>(deep->child(0));
    Selection selection;
    selection.select(deep);
    EXPECT_TRUE(selection.validate(world.get()));
    EXPECT_EQ(selection.get(), deep);
    EXPECT_FALSE(selection.outline().empty());
    EXPECT_NE(selection.statusText().find("Selected: "), std::string::npos);
    // Its ancestors' children go, and with them the selected description.
    court->releaseChildren();
    EXPECT_FALSE(selection.validate(world.get()));
    EXPECT_EQ(selection.get(), nullptr);
    EXPECT_EQ(selection.statusText(), "");
}

TEST_F(CourtFixture, AnEditedSeedRegrowsAnotherBuildingAndRefusedValuesChangeNothing) {
    const uint64_t original = grownPrint();
    PropertyWindow window;
    window.setTarget(court);
    const int seed = window.list()->find("Seed");
    const int height = window.list()->find("Extrusion height");
    ASSERT_GE(seed, 0);
    ASSERT_GE(height, 0);
    const std::string seedText = window.list()->record(seed)->text();

    ASSERT_TRUE(window.edit(seed, std::to_string(static_cast<int32_t>(court->seed) + 1)));
    EXPECT_EQ(court->childCount(), 0);  // released at once, regrown from the new seed
    EXPECT_NE(grownPrint(), original);
    ASSERT_TRUE(window.edit(window.list()->find("Seed"), seedText));
    EXPECT_EQ(grownPrint(), original);

    const struct {
        int entry;
        const char* text;
    } refused[] = {{seed, "abc"}, {seed, "nan"}, {seed, "1e40"}, {seed, ""}, {height, "-1"}, {height, "inf"}};
    for (const auto& r : refused) {
        EXPECT_FALSE(window.edit(r.entry, r.text)) << r.text;
        EXPECT_FALSE(window.message(r.entry).empty()) << r.text;
        EXPECT_EQ(grownPrint(), original) << r.text;
    }
    window.setTarget(nullptr);
}

TEST_F(CourtFixture, AVariantReplacesTheDescriptionInPlaceAndAnUnknownOneIsRefused) {
    const uint64_t original = grownPrint();
    // The first ordinary room, depth first.
    std::function<Desc*(Desc&)> firstRoom = [&](Desc& d) -> Desc* {
        if (d.className().name == std::string("TypRooSimple"))
            return &d;
        for (int i = 0; i < d.childCount(); ++i)
            if (auto* child = dynamic_cast<Desc*>(d.child(i)))
                if (Desc* found = firstRoom(*child))
                    return found;
        return nullptr;
    };
    Desc* room = firstRoom(*court);
    ASSERT_NE(room, nullptr);
    Desc* parent = room->parent;
    const int siblings = parent->childCount();
    PropertyWindow window;
    window.setTarget(room);
    ASSERT_NE(window.list()->variants(), nullptr);
    EXPECT_EQ(window.switchVariant(99), nullptr);
    EXPECT_FALSE(window.message(PropertyWindow::kVariantEntry).empty());
    EXPECT_EQ(treeFingerprint(*court), original);

    const std::string wanted = window.list()->variants()->choiceName(0);
    Desc* made = window.switchVariant(0);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->parent, parent);
    EXPECT_EQ(parent->childCount(), siblings);
    EXPECT_EQ(window.target(), made);
    EXPECT_STREQ(window.list()->variants()->text(), wanted.c_str());
    window.setTarget(world.get());
    EXPECT_EQ(window.switchVariant(0), nullptr);  // the root has no parent to hold another
}
