// Doors, windows, banisters and balconies: what each builds in a gap, by limit code.
#include "typology/construction/TypLinOpening.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/RandomGenerator.h"
#include "typology/construction/TypConBalcony.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBanister.h"
#include "typology/construction/TypLinBanisterSloping.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinOpeningBalcony.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPanelSloping.h"
#include "typology/construction/TypLinWallSection.h"
#include "typology/construction/TypLinWallSimple.h"

#include "../TypologyTestSupport.h"

namespace {

// The class family and extrusion of a child.
struct Built {
    std::string what;
    float level, height;
};

std::string familyOf(const Drawable& d) {
    return dynamic_cast<const TypLinBanister*>(&d) ? "banister"
           : dynamic_cast<const TypLinBeamSimple*>(&d) ? "beam"
           : dynamic_cast<const TypLinPanelSimple*>(&d) ? "panel"
                                                         : d.className().name;
}

}  // namespace

TEST(Opening, OnlyDoorsAndWindowsBuildSillsLintelsBanistersAndBalconies) {
    const struct {
        int kind;
        uint8_t limit;
        float height;
        std::vector<Built> children;
    } cases[] = {
        {1, 0, 3, {}}, {1, 1, 3, {}}, {1, 4, 3, {}}, {2, 1, 3, {}}, {3, 4, 3, {}}, {0, 3, 3, {}},
        {1, 2, 2.5f, {{"panel", 5, 0.5f}}},
        {1, 3, 2.5f, {{"panel", 3, 1}, {"panel", 5, 0.5f}}},
        {1, 3, 0.8f, {{"panel", 3, 0.8f}}},
        {1, 2, 0.8f, {}},
        {2, 2, 3, {{"banister", 3, 0.9f}, {"panel", 5.6f, 0.4f}}},
        {3, 3, 3, {{"TypConBalcony", 2.7f, 1.2f}, {"beam", 5, 1}}},
        {3, 2, 1.5f, {{"TypConBalcony", 2.7f, 1.2f}}},
    };
    for (const auto& c : cases) {
        Line line(0, 0, 1.5f, 0, 0.4f, c.limit);
        auto opening = TypLinOpening::createOpening(c.kind, line, Extrusion{3, c.height}, nullptr, 5, "Lime1");
        ASSERT_NE(opening, nullptr);
        RandomGenerator::generation().seed(5);
        opening->generate();
        const std::string label = "kind " + std::to_string(c.kind) + " limit " + std::to_string(c.limit) +
                                  " height " + std::to_string(c.height);
        ASSERT_EQ(opening->childCount(), static_cast<int>(c.children.size())) << label;
        for (size_t i = 0; i < c.children.size(); ++i) {
            const Drawable* child = opening->child(static_cast<int>(i));
            EXPECT_EQ(familyOf(*child), c.children[i].what) << label;
            const auto* line = dynamic_cast<const DescLine*>(child);
            const Extrusion e = line ? line->extrusion : dynamic_cast<const DescPoly*>(child)->extrusion;
            EXPECT_NEAR(e.level, c.children[i].level, 1e-5f) << label << " child " << i;
            EXPECT_NEAR(e.height, c.children[i].height, 1e-5f) << label << " child " << i;
        }
    }
}

TEST(Opening, BalconiesStandOutsideTheWallBehindBanistersOnThreeSides) {
    Line line(0, 0, 2, 0, 0.4f, 3);
    const Poly platform = TypLinOpeningBalcony::platform(line, 0.5f);
    ASSERT_TRUE(platform.isValid(4));
    // Outside is the left of the line: from its face at 0.2 out to 0.7.
    for (const Point& p : platform.points())
        EXPECT_TRUE(std::fabs(p.y - 0.2f) < 1e-5f || std::fabs(p.y - 0.7f) < 1e-5f);
    TypConBalcony balcony(platform, 3, 0.9f, 0.1f, nullptr, 4, "Wood1");
    EXPECT_FLOAT_EQ(balcony.extrusion.level, 2.7f);
    EXPECT_FLOAT_EQ(balcony.extrusion.height, 1.2f);
    RandomGenerator::generation().seed(4);
    balcony.generate();
    const auto banisters = childrenOf<TypLinBanister>(balcony);
    ASSERT_EQ(banisters.size(), 3u);
    // Set in by half their width, ends on the wall face and on each other.
    EXPECT_NEAR(banisters[1]->line.y0, 0.65f, 1e-5f);
    EXPECT_NEAR(banisters[1]->line.x0, 0.05f, 1e-5f);
    EXPECT_NEAR(banisters[0]->line.y0, 0.2f, 1e-5f);
    const auto slabs = childrenOf<TypConSlabSimple>(balcony);
    ASSERT_EQ(slabs.size(), 1u);
    EXPECT_FLOAT_EQ(slabs[0]->extrusion.level + slabs[0]->extrusion.height, 3.0f);

    // Without banister edges only the floor.
    TypConBalcony bare(rectangle(2, 1, TypConBalcony::kWall), 3, 0.9f, 0.1f, nullptr, 4, "Wood1");
    bare.generate();
    EXPECT_TRUE(childrenOf<TypLinBanister>(bare).empty());
    EXPECT_EQ(childrenOf<TypConSlabSimple>(bare).size(), 1u);
}

TEST(Banister, RailsAlwaysPostsFromATenthOfAMetreAndFiveBalustersToTheMetre) {
    const struct {
        float length;
        int posts;
    } cases[] = {{0.05f, 0}, {0.12f, 2}, {1.1f, 7}, {2.3f, 2 + 11}};
    for (const auto& c : cases) {
        TypLinBanister banister(Line(0, 0, c.length, 0, 0.1f), Extrusion{3, 0.9f}, nullptr, 1, "Wood1");
        banister.generate();
        const auto rails = childrenOf<TypLinBeamSimple>(banister);
        const auto posts = childrenOf<TypConPillarSimple>(banister);
        ASSERT_EQ(rails.size(), 2u);
        EXPECT_FLOAT_EQ(rails[0]->extrusion.level, 3.85f);
        EXPECT_FLOAT_EQ(rails[1]->extrusion.level, 3.1f);
        ASSERT_EQ(static_cast<int>(posts.size()), c.posts) << c.length;
        for (size_t k = 0; k < posts.size(); ++k) {
            // Posts from the floor, balusters from 0.15 above it, all up to the top rail.
            EXPECT_NEAR(posts[k]->extrusion.level, k < 2 ? 3.0f : 3.15f, 1e-5f);
            EXPECT_NEAR(posts[k]->extrusion.level + posts[k]->extrusion.height, 3.85f, 1e-5f);
        }
        if (c.length == 1.1f) {
            for (int k = 1; k <= 5; ++k)
                EXPECT_NEAR(posts[1 + k]->poly[0].x, 0.175f * k, 1e-5f);
        }
    }
}

TEST(Banister, TheAutomaticChoiceFollowsTheContextAndSlopingOnesClimb) {
    int crosses = 0;
    for (uint32_t s = 0; s < 100; ++s) {
        TypConSlabSimple context(rectangle(1, 1), Extrusion{0, 1}, nullptr, s, "Wood1");
        const int32_t kind = TypLinBanister::chooseKind(&context, 1.0f);
        crosses += kind == TypLinBanister::kCross;
        EXPECT_EQ(TypLinBanister::chooseKind(&context, 2.5f), TypLinBanister::kSimple);
    }
    EXPECT_GT(crosses, 2);
    EXPECT_LT(crosses, 25);

    auto cross = TypLinBanisterSloping::createSloping(1, Line(0, 0, 3, 0, 0.1f), Extrusion{1, 1}, 2.5f, nullptr, 9,
                                                      "Wood1");
    cross->generate();
    // Two rails, four posts, an X over each third.
    EXPECT_EQ(cross->childCount(), 12);
    auto* top = dynamic_cast<TypLinPanelSloping*>(cross->child(0));
    ASSERT_NE(top, nullptr);
    EXPECT_FLOAT_EQ(top->extrusion.level, 1.95f);
    EXPECT_FLOAT_EQ(top->endExtrusion.level, 3.45f);
    auto* endPost = dynamic_cast<TypConPillarSimple*>(cross->child(3));
    EXPECT_NEAR(endPost->extrusion.level, 2.5f - 0.0125f, 1e-4f);
}

// A place its room keeps closed (limit 1) leaves no gap: the wall runs on
// over it, and is cut only at its doors and windows.
TEST(Opening, ClosedPlacesDoNotCutTheWall) {
    Line line(0, 0, 8, 0, 0.4f, 1);
    line.subdivide(2, 1);
    ASSERT_EQ(line.crossingCount(), 4);
    line.crossings[1].limit = TypLinOpening::kWindow;
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, TypLinWall::kOpeningsSimple, 9, "Lime1");
    RandomGenerator::generation().seed(9);
    wall.generate();
    EXPECT_EQ(childrenOf<TypLinWallSection>(wall).size(), 2u);
    const auto openings = childrenOf<TypLinOpening>(wall);
    ASSERT_EQ(openings.size(), 1u);
    EXPECT_EQ(openings[0]->line.limit, TypLinOpening::kWindow);
}
