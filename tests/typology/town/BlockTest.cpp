#include "typology/town/TypBloIrregular.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/LandPoly.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

struct BlockValues {
    Poly poly;
    float estatesSide = 20.0f;
    bool urban = true;
    float minStreetLength = 85.0f;
    float winding = 0.0f;
};

std::unique_ptr<TypBloIrregular> makeBlock(const BlockValues& s, std::vector<GraphNode*> nodes = {}) {
    return std::make_unique<TypBloIrregular>(s.poly, std::move(nodes), s.estatesSide, 12.0f, s.urban,
                                             nullptr, nullptr, 77, s.urban ? "Slate1" : "Land2", s.winding,
                                             s.minStreetLength, std::vector<float>(s.poly.count(), 0.0f));
}

// The block's polygon jittered with anchors every step metres (seeded).
Poly anchored(const Poly& poly, float step, int32_t seed) {
    RandomGenerator random(seed);
    LandPoly land(poly);
    jitterEdges(land, step, 0.0f, true, random);
    return land.poly();
}


}  // namespace

TEST(Block, AtMostTheSquareOfItsEstatesSideBecomesOneEstate) {
    auto block = makeBlock({anchored(rectangle(20, 20), 5.0f, 1)});
    RandomGenerator::generation().seed(3);
    block->generate();
    ASSERT_EQ(block->childCount(), 2);
    auto* estate = dynamic_cast<TypEstCourt*>(block->child(0));
    ASSERT_NE(estate, nullptr);
    EXPECT_EQ(estate->poly, block->poly);
    EXPECT_NE(dynamic_cast<DrawableGraph*>(block->child(1)), nullptr);
    EXPECT_EQ(&static_cast<DrawableGraph*>(block->child(1))->graph(), &block->graph);
}

TEST(Block, WithoutAnchorsBecomesOneEstate) {
    auto block = makeBlock({rectangle(60, 60)});
    RandomGenerator::generation().seed(3);
    block->generate();
    ASSERT_EQ(block->childCount(), 2);
    // An urban piece above 2500 square metres stays open land.
    auto* estate = dynamic_cast<TypEstRustic*>(block->child(0));
    ASSERT_NE(estate, nullptr);
    EXPECT_EQ(estate->poly, block->poly);
    ASSERT_TRUE(estate->material->bound()) << "no material data in ../data";
    EXPECT_STREQ(nameOf(*estate->material), "Land1");
}

TEST(Block, FewerThanThreePointsGenerateNothing) {
    auto block = makeBlock({Poly({{0, 0, 0x20}, {0, 50, 0x20}})});
    block->generate();
    EXPECT_EQ(block->childCount(), 0);
}

namespace {
// A 30 x 100 block with one anchor on each long side, 30 metres apart:
//   (0,50) +---------------+ (30,50)
// The only cut runs straight across and is exactly 30 long.
Poly crossCutBlock() {
    return Poly({{0, 0, 0}, {0, 50, 0x20}, {0, 100, 0}, {30, 100, 0}, {30, 50, 0x20}, {30, 0, 0}});
}
}  // namespace

TEST(Block, UrbanCutOfExactlyTheMinStreetLengthIsAPartyLine) {
    auto block = makeBlock({crossCutBlock(), 40.0f, true, 30.0f});
    RandomGenerator::generation().seed(11);
    block->generate();
    const auto estates = childrenOf<TypEstCourt>(*block);
    ASSERT_EQ(estates.size(), 2u);
    for (auto* e : estates) {
        EXPECT_NEAR(e->poly.area(), 1500.0f, 1e-2);
        for (int k = 0; k < e->poly.count(); ++k) {
            const Point& p = e->poly[k];
            if (onOutline(block->poly, p))
                continue;
            EXPECT_EQ(p.limit & 0xCF, 9) << "point " << k;  // "Party" 9, 25 or 41
            EXPECT_EQ(e->widths[k], 0.0f);
        }
    }
    // The dividing line's nodes are not linked.
    EXPECT_GT(block->graph.count(), 0);
    for (const auto& n : block->graph.nodes())
        EXPECT_TRUE(n->neighbours.empty());
}

TEST(Block, LongerUrbanCutIsAStreetWithRoadOutAndRoadInSides) {
    // The quarter's nodes at the block's points.
    Graph quarter;
    std::vector<GraphNode*> nodes;
    const Poly outline = crossCutBlock();
    for (const Point& p : outline.points())
        nodes.push_back(quarter.addNode(Vector{p.x, 0, p.y}, false));
    auto block = makeBlock({crossCutBlock(), 40.0f, true, 29.9f}, nodes);
    RandomGenerator::generation().seed(11);
    block->generate();
    const auto estates = childrenOf<TypEstCourt>(*block);
    ASSERT_EQ(estates.size(), 2u);
    int out = 0, in = 0;
    for (auto* e : estates)
        for (int k = 0; k < e->poly.count(); ++k) {
            const Point& p = e->poly[k];
            if (onOutline(block->poly, p))
                continue;
            const int v = p.limit & 0xCF;
            EXPECT_TRUE(v == 2 || v == 4) << int(p.limit);
            out += v == 2;
            in += v == 4;
            EXPECT_GE(e->widths[k], 5.4f);
            EXPECT_LT(e->widths[k], 20.0f);
        }
    EXPECT_GT(out, 0);
    EXPECT_GT(in, 0);
    // Street nodes are linked in a chain between the cut's ends.
    ASSERT_GT(block->graph.count(), 0);
    for (const auto& n : block->graph.nodes())
        EXPECT_EQ(n->neighbours.size(), 2u);
    EXPECT_EQ(nodes[1]->neighbours.size(), 1u);
    EXPECT_EQ(nodes[4]->neighbours.size(), 1u);
    block->releaseChildren();
    EXPECT_TRUE(nodes[1]->neighbours.empty());
    EXPECT_TRUE(nodes[4]->neighbours.empty());
}

TEST(Block, StreetWidthsWithEstatesSideTwentyLieInRange) {
    int streets = 0, pieces = 0, small = 0;
    for (int32_t seed = 0; seed < 12; ++seed) {
        auto block = makeBlock({anchored(rectangle(110, 90), 15.0f, seed), 20.0f, true, 0.0f, 0.19634954f});
        RandomGenerator::generation().seed(seed);
        block->generate();
        for (auto* e : childrenOf<TypEst>(*block)) {
            // Pieces that could still be cut stop at 400 square metres.
            small += e->poly.area() <= 400.0f * 1.001f;
            ++pieces;
            auto* court = dynamic_cast<TypEstCourt*>(e);
            ASSERT_NE(court, nullptr);
            for (float w : court->widths) {
                if (w == 0.0f)
                    continue;
                ++streets;
                EXPECT_GE(w, 5.4f);
                EXPECT_LT(w, 10.8f);
            }
        }
    }
    EXPECT_GT(small, pieces * 9 / 10);
    EXPECT_GT(streets, 0);
}

TEST(Block, RusticBlockMakesOnlyRusticEstatesWithItsOwnGround) {
    for (int32_t seed = 0; seed < 6; ++seed) {
        auto block = makeBlock({anchored(rectangle(200, 160), 30.0f, seed), 50.0f, false, 0.0f});
        RandomGenerator::generation().seed(seed);
        block->generate();
        const auto estates = childrenOf<TypEst>(*block);
        ASSERT_GT(estates.size(), 1u);
        float area = 0;
        for (auto* e : estates) {
            EXPECT_NE(dynamic_cast<TypEstRustic*>(e), nullptr);
            EXPECT_TRUE(e->poly.isValid());
            area += e->poly.area();
            ASSERT_TRUE(e->material->bound()) << "no material data in ../data";
            EXPECT_STREQ(nameOf(*e->material), "Land2");
            for (const Point& p : e->poly.points())
                if (!onOutline(block->poly, p)) {
                    EXPECT_EQ(p.limit & 0xCF, 9);
                }
        }
        EXPECT_NEAR(area, block->poly.area(), block->poly.area() * 1e-3f);
        for (const auto& n : block->graph.nodes())
            EXPECT_TRUE(n->neighbours.empty());
    }
}

TEST(Block, CourtEstatesGetTheBlockValues) {
    BlockValues values{anchored(rectangle(30, 30), 10.0f, 2), 30.0f, true, 0.0f, 0.39269909f};
    auto block = makeBlock(values);
    RandomGenerator::generation().seed(5);
    block->generate();
    auto* e = dynamic_cast<TypEstCourt*>(block->child(0));
    ASSERT_NE(e, nullptr);
    EXPECT_FLOAT_EQ(e->constructionDepthMin, 6.0f);
    EXPECT_FLOAT_EQ(e->winding, 0.39269909f * 0.5f);
    EXPECT_FLOAT_EQ(e->maxCourtSide, 15.0f);
    EXPECT_FLOAT_EQ(e->overHeight, 12.0f);
    EXPECT_EQ(e->parentBlock, block.get());
    EXPECT_EQ(e->widths.size(), static_cast<size_t>(e->poly.count()));
    ASSERT_TRUE(e->material->bound()) << "no material data in ../data";
    EXPECT_STREQ(nameOf(*e->material), "Slate1");
}

TEST(Block, MinStreetLengthIsListedOnlyWhenUrban) {
    auto urban = makeBlock({rectangle(30, 30), 20.0f, true});
    auto rustic = makeBlock({rectangle(30, 30), 50.0f, false});
    ParameterList a, b;
    urban->declareParameters(a);
    rustic->declareParameters(b);
    EXPECT_EQ(a.name(0), "TypBloIrregular");
    EXPECT_EQ(a.name(1), "Winding (angle)");
    EXPECT_EQ(a.name(2), "Min street length");
    EXPECT_EQ(a.name(3), "TypBlo");
    EXPECT_EQ(a.name(4), "Estates side");
    EXPECT_EQ(a.name(5), "Urban");
    EXPECT_EQ(a.name(6), "DescPolyLand");
    EXPECT_EQ(b.find("Min street length"), -1);
    EXPECT_EQ(b.name(2), "TypBlo");
    EXPECT_STREQ(b.record(b.find("Urban"))->text(), "No");
}

TEST(Block, WorldBlockCollapseAndRefineGiveIdenticalChildren) {
    auto root = buildWorld();
    root->refine(kModelView);
    auto* mun = dynamic_cast<TypMunIrregular*>(root->child(0));
    mun->refine(kModelView);
    int checked = 0;
    for (auto* town : childrenOf<TypTowIrregular>(*mun)) {
        town->refine(kModelView);
        for (auto* quarter : childrenOf<TypQuaIrregular>(*town)) {
            quarter->refine(kModelView);
            for (auto* block : childrenOf<TypBloIrregular>(*quarter)) {
                if (checked == 12)
                    return;
                block->refine(kModelView);
                const std::vector<ChildPrint> first = printChildren(*block);
                const int nodes = block->graph.count();
                block->releaseChildren();
                EXPECT_EQ(block->graph.count(), 0);
                RandomGenerator::generation().seed(checked);
                block->refine(kModelView);
                EXPECT_EQ(block->graph.count(), nodes);
                const std::vector<ChildPrint> second = printChildren(*block);
                ASSERT_EQ(second.size(), first.size());
                for (size_t i = 0; i < first.size(); ++i)
                    EXPECT_TRUE(second[i] == first[i]) << "child " << i << " (" << first[i].className << ")";
                ++checked;
            }
            quarter->releaseChildren();
        }
        town->releaseChildren();
    }
}
