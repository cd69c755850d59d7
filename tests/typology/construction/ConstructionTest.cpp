#include "typology/construction/TypConSlabSimple.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSimple.h"

#include "../TypologyTestSupport.h"

TEST(Slab, ConvexSlabsFollowTheirLongestEdgeOthersLieHorizontal) {
    TypConSlabSimple rect(rectangle(3, 8), Extrusion{2, 0.3f}, nullptr, 4, "Woodplanks1");
    RandomGenerator::generation().seed(4);
    rect.generate();
    ASSERT_EQ(rect.childCount(), 1);
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(rect.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal | mapping::kOblique);
    EXPECT_EQ(prism->material->referenceEdge, 0);  // (0,0)-(0,8), the first of the two long edges
    EXPECT_STREQ(nameOf(*prism->material), "Woodplanks1");

    const Poly ell({{0, 0}, {0, 6}, {2, 6}, {2, 2}, {6, 2}, {6, 0}});
    TypConSlabSimple lShaped(ell, Extrusion{2, -3}, nullptr, 4, "Woodplanks1");
    lShaped.generate();
    prism = dynamic_cast<DrawablePolyExtruded*>(lShaped.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal);
    // A negative height reaches down from the level.
    EXPECT_FLOAT_EQ(prism->extrusion.level, -1.0f);
    EXPECT_FLOAT_EQ(prism->extrusion.height, 3.0f);

    TypConFloorTiled floor(rectangle(3, 8), Extrusion{0, 0.05f}, nullptr, 4, "Floortile1");
    floor.generate();
    prism = dynamic_cast<DrawablePolyExtruded*>(floor.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(prism->material->mapping, mapping::kHorizontal);
    EXPECT_FALSE(floor.allowsImpostor());
}

TEST(Wall, UnboundWallsAreBrickPorticosAreItsVariantAndEmptyLinesDrawNothing) {
    const Line line(0, 0, 5, 0, 0.4f, 1);
    TypLinWallSimple wall(line, Extrusion{0, 3}, nullptr, 0, 1, 9, nullptr);
    EXPECT_STREQ(nameOf(*wall.material), "Brick1");
    std::unique_ptr<Drawable> variant(wall.createVariant(1));
    auto* portico = dynamic_cast<TypLinPortico*>(variant.get());
    ASSERT_NE(portico, nullptr);
    EXPECT_EQ(portico->seed, wall.seed);
    EXPECT_EQ(portico->openingsKind, 1);
    EXPECT_FLOAT_EQ(portico->line.x1, 5.0f);
    std::unique_ptr<Drawable> back(portico->createVariant(0));
    EXPECT_NE(dynamic_cast<TypLinWallSimple*>(back.get()), nullptr);
    EXPECT_EQ(wall.createVariant(2), nullptr);

    RandomGenerator::generation().seed(9);
    wall.generate();
    ASSERT_EQ(wall.childCount(), 1);
    auto* prism = dynamic_cast<DrawablePolyExtruded*>(wall.child(0));
    ASSERT_NE(prism, nullptr);
    EXPECT_NEAR(prism->poly.area(), 5 * 0.4f, 1e-4f);

    TypLinWallSimple point(Line(1, 1, 1, 1, 0.4f), Extrusion{0, 3}, nullptr, 0, 1, 9, "Lime1");
    point.generate();
    EXPECT_EQ(point.childCount(), 0);
}
