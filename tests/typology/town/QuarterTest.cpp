#include "typology/town/TypQuaIrregular.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/LandPoly.h"
#include "typology/town/StreetCutting.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

Poly anchored(const Poly& poly, float step, int32_t seed) {
    RandomGenerator random(seed);
    LandPoly land(poly);
    jitterEdges(land, step, 5.0f, true, random);
    return land.poly();
}

std::unique_ptr<TypQuaIrregular> makeQuarter(const Poly& poly, float overHeight = 70.0f, TypTow* town = nullptr,
                                             const Terrain* land = nullptr, std::vector<GraphNode*> nodes = {}) {
    return std::make_unique<TypQuaIrregular>(poly, std::move(nodes), overHeight, land, town, 99, "Land2", 22500.0f,
                                             0.0f, std::vector<float>(poly.count(), 5.0f));
}

// A municipality with a flat population field of the given value, and a town
// on it at the origin, for quarters that ask the field.
struct FieldTown {
    std::unique_ptr<TypMun> mun;
    std::unique_ptr<TypTow> town;

    explicit FieldTown(float value, const Poly& outline = rectangle(1000, 1000)) {
        mun = std::make_unique<TypMun>(outline, std::vector<GraphNode*>{}, 70.0f, nullptr, nullptr, 1, "Land2");
        mun->populationField.addPoint(500, 500, value);
        town = std::make_unique<TypTow>(outline, std::vector<GraphNode*>{}, 70.0f, Matrix44::identity(), nullptr,
                                        mun.get(), 2, "Land2");
    }
};

}  // namespace

TEST(Quarter, UrbanDecisionFromThePopulationField) {
    FieldTown dense(40.0f), sparse(15.0f);
    auto a = makeQuarter(rectangle(100, 100), 70.0f, dense.town.get());
    auto b = makeQuarter(rectangle(100, 100), 70.0f, sparse.town.get());
    auto c = makeQuarter(rectangle(100, 100));
    EXPECT_TRUE(a->urban);
    EXPECT_FALSE(b->urban);  // strictly above 15
    EXPECT_FALSE(c->urban);  // no town, no field
    ASSERT_TRUE(a->material->bound()) << "no material data in ../data";
    EXPECT_STREQ(nameOf(*a->material), "Slate1");
    EXPECT_STREQ(nameOf(*b->material), "Land2");
    EXPECT_FLOAT_EQ(a->populationAt({10, 10}), 40.0f);
}

TEST(Quarter, AtMostTheBlockAreaBecomesOneBlock) {
    auto q = makeQuarter(anchored(rectangle(150, 150), 20.0f, 1));
    ASSERT_LE(q->poly.area(), 22500.0f);
    RandomGenerator::generation().seed(4);
    q->generate();
    ASSERT_EQ(q->childCount(), 2);
    auto* block = dynamic_cast<TypBloIrregular*>(q->child(0));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->poly, q->poly);
    EXPECT_NE(dynamic_cast<DrawableGraph*>(q->child(1)), nullptr);
    EXPECT_EQ(q->graph.count(), 0);
}

TEST(Quarter, WithoutAnchorsBecomesOneBlock) {
    auto q = makeQuarter(rectangle(400, 300));
    RandomGenerator::generation().seed(4);
    q->generate();
    ASSERT_EQ(q->childCount(), 2);
    auto* block = dynamic_cast<TypBloIrregular*>(q->child(0));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->poly, q->poly);
}

TEST(Quarter, FewerThanThreePointsGenerateNothing) {
    auto q = makeQuarter(Poly({{0, 0, 0x20}, {0, 500, 0x20}}));
    q->generate();
    EXPECT_EQ(q->childCount(), 0);
}

namespace {
// A long strip whose only anchors sit 30 metres from one end: every cut
// across it leaves 3 % of the area on one side.
//   (0,30) +--------------------------------------+ (100,30)
Poly unbalancedStrip() {
    return Poly({{0, 0, 0}, {0, 30, 0x20}, {0, 1000, 0}, {100, 1000, 0}, {100, 30, 0x20}, {100, 0, 0}});
}
}  // namespace

TEST(Quarter, RejectedCutsRemoveTheirNavigationNodes) {
    const Poly strip = unbalancedStrip();
    // The first pass's cut is found and laid; check with the same cutting operations.
    {
        LandPoly piece(strip);
        RandomGenerator::generation().seed(6);
        const int r = static_cast<int>(RandomGenerator::generation().uniform() * 2);
        const int i = piece.anchorIndex(r);
        const Stub seg = startDirection(piece, i, 0.0f);
        const int j = findCrossingVertex(seg, piece);
        ASSERT_NE(j, -1);
        ASSERT_NE(j, i);
        ASSERT_FALSE(crossesOutline(piece, i, j));
    }
    // The region's nodes at the outline points, as a parent would hand them down.
    Graph parent;
    std::vector<GraphNode*> nodes;
    for (const Point& p : strip.points())
        nodes.push_back(parent.addNode(Vector{p.x, 0, p.y}, false));
    FieldTown dense(100.0f, rectangle(2000, 2000));
    auto q = makeQuarter(strip, 70.0f, dense.town.get(), nullptr, nodes);
    ASSERT_TRUE(q->urban);
    RandomGenerator::generation().seed(6);
    q->generate();
    // Every cut was undone: one block over the whole strip, no node left, no edge to the parent's nodes.
    ASSERT_EQ(childrenOf<TypBloIrregular>(*q).size(), 1u);
    EXPECT_EQ(childrenOf<TypBloIrregular>(*q)[0]->poly, strip);
    EXPECT_EQ(q->graph.count(), 0);
    for (const auto& n : parent.nodes())
        EXPECT_TRUE(n->neighbours.empty());
}

TEST(Quarter, UrbanStreetsLinkTheirNodesAndMarkBothSides) {
    FieldTown dense(100.0f, rectangle(2000, 2000));
    const Poly outline = anchored(rectangle(400, 300), 40.0f, 3);
    Graph parent;
    std::vector<GraphNode*> nodes;
    for (const Point& p : outline.points())
        nodes.push_back(parent.addNode(Vector{p.x, 0, p.y}, false));
    auto q = makeQuarter(outline, 70.0f, dense.town.get(), nullptr, nodes);
    ASSERT_TRUE(q->urban);
    RandomGenerator::generation().seed(8);
    q->generate();
    const auto blocks = childrenOf<TypBloIrregular>(*q);
    ASSERT_GT(blocks.size(), 1u);
    int out = 0, in = 0;
    float area = 0;
    for (auto* b : blocks) {
        EXPECT_TRUE(b->poly.isValid());
        area += b->poly.area();
        for (int k = 0; k < b->poly.count(); ++k) {
            const Point& p = b->poly[k];
            if (onOutline(outline, p))
                continue;
            const int v = p.limit & 0xCF;
            out += v == 2;
            in += v == 4;
            EXPECT_TRUE(v == 2 || v == 4) << int(p.limit);
            EXPECT_FLOAT_EQ(b->widths[k], 5.0f);
        }
    }
    EXPECT_GT(out, 0);
    EXPECT_GT(in, 0);
    EXPECT_NEAR(area, outline.area(), outline.area() * 1e-3f);
    // Inner street nodes sit on a chain: two neighbours each.
    ASSERT_GT(q->graph.count(), 0);
    for (const auto& n : q->graph.nodes())
        EXPECT_GE(n->neighbours.size(), 2u);
    // Releasing the quarter leaves no neighbour pointing at a deleted node.
    q->releaseChildren();
    EXPECT_EQ(q->graph.count(), 0);
    for (const auto& n : parent.nodes())
        for (GraphNode* m : n->neighbours)
            EXPECT_GE(parent.indexOf(m), 0);
}

TEST(Quarter, RusticDividingLinesArePartyAndAddNoEdges) {
    const Poly outline = anchored(rectangle(400, 300), 40.0f, 5);
    auto q = makeQuarter(outline);
    ASSERT_FALSE(q->urban);
    RandomGenerator::generation().seed(9);
    q->generate();
    const auto blocks = childrenOf<TypBloIrregular>(*q);
    ASSERT_GT(blocks.size(), 1u);
    std::set<int> limits;
    for (auto* b : blocks) {
        EXPECT_FALSE(b->urban);
        for (const Point& p : b->poly.points())
            if (!onOutline(outline, p))
                limits.insert(p.limit);
    }
    ASSERT_FALSE(limits.empty());
    for (int l : limits)
        EXPECT_TRUE(l == 8 || l == 24 || l == 40) << l;
    EXPECT_GT(q->graph.count(), 0);
    for (const auto& n : q->graph.nodes())
        EXPECT_TRUE(n->neighbours.empty());
}

TEST(Quarter, BlockCharacterWithTheWorldValues) {
    // Field 100: heights up to the over height of 70, estate side up to 35.
    FieldTown dense(100.0f), medium(40.0f);
    auto a = makeQuarter(rectangle(100, 100), 70.0f, dense.town.get());
    auto b = makeQuarter(rectangle(100, 100), 70.0f, medium.town.get());
    int urbanA = 0, urbanB = 0;
    float highest = 0;
    for (int32_t seed = 0; seed < 250; ++seed) {
        RandomGenerator::generation().seed(seed);
        LandPoly piece(rectangle(60, 60));
        a->makeBlock(piece, 3600.0f);
        b->makeBlock(piece, 3600.0f);
    }
    for (auto* blk : childrenOf<TypBloIrregular>(*a)) {
        if (!blk->urban) {
            EXPECT_FLOAT_EQ(blk->overHeight, 10.0f);
            EXPECT_FLOAT_EQ(blk->estatesSide, 50.0f);
            continue;
        }
        ++urbanA;
        highest = std::max(highest, blk->overHeight);
        EXPECT_GE(blk->overHeight, 4.0f);
        EXPECT_LT(blk->overHeight, 70.0f);
        EXPECT_GE(blk->estatesSide, 20.0f);
        EXPECT_LT(blk->estatesSide, 35.0f);
        EXPECT_FLOAT_EQ(blk->minStreetLength, blk->estatesSide * 4 + 5);
        EXPECT_FLOAT_EQ(blk->winding, 0.0f);
    }
    for (auto* blk : childrenOf<TypBloIrregular>(*b)) {
        if (!blk->urban)
            continue;
        ++urbanB;
        EXPECT_GE(blk->overHeight, 4.0f);
        EXPECT_LT(blk->overHeight, 12.0f);
        EXPECT_FLOAT_EQ(blk->estatesSide, 20.0f);
        EXPECT_FLOAT_EQ(blk->minStreetLength, 85.0f);
    }
    // 9 % of the blocks of urban quarters stay open land.
    EXPECT_NEAR(urbanA / 250.0, 0.91, 0.05);
    EXPECT_NEAR(urbanB / 250.0, 0.91, 0.05);
    EXPECT_GT(highest, 50.0f);
}

TEST(Quarter, RusticBlockValues) {
    auto q = makeQuarter(rectangle(100, 100), 70.0f);
    auto low = makeQuarter(rectangle(100, 100), 6.0f);
    RandomGenerator::generation().seed(1);
    q->makeBlock(LandPoly(rectangle(100, 100)), 10000.0f);
    q->makeBlock(LandPoly(rectangle(1000, 1000)), 1000000.0f);
    low->makeBlock(LandPoly(rectangle(100, 100)), 10000.0f);
    auto* small = dynamic_cast<TypBloIrregular*>(q->child(0));
    auto* large = dynamic_cast<TypBloIrregular*>(q->child(1));
    auto* flat = dynamic_cast<TypBloIrregular*>(low->child(0));
    ASSERT_TRUE(small && large && flat);
    EXPECT_FLOAT_EQ(small->estatesSide, 50.0f);
    EXPECT_NEAR(large->estatesSide, 1000.0f / 15.0f, 1e-3);
    EXPECT_FLOAT_EQ(small->overHeight, 10.0f);
    EXPECT_FLOAT_EQ(flat->overHeight, 6.0f);
    EXPECT_FALSE(small->urban);
    EXPECT_FLOAT_EQ(small->minStreetLength, 0.0f);
}

TEST(Quarter, SteepBlocksNeverStayUrban) {
    NoiseSource noise;
    noise.height = 3000.0f;
    noise.roughness = 0.5f;
    noise.initNoise(2, 17);
    Terrain steep(&noise);
    FieldTown dense(100.0f);
    auto q = makeQuarter(rectangle(100, 100), 70.0f, dense.town.get(), &steep);
    ASSERT_TRUE(q->urban);
    int steepBlocks = 0;
    for (int32_t seed = 0; seed < 60; ++seed) {
        RandomGenerator::generation().seed(seed);
        const float x = 137.0f * seed;
        q->makeBlock(LandPoly(Poly({{x, 0, 0}, {x, 60, 0}, {x + 60, 60, 0}, {x + 60, 0, 0}})), 3600.0f);
    }
    for (auto* b : childrenOf<TypBloIrregular>(*q)) {
        if (b->slope() > 30.0f) {
            ++steepBlocks;
            EXPECT_FALSE(b->urban);
            ASSERT_TRUE(b->material->bound()) << "no material data in ../data";
            EXPECT_STREQ(nameOf(*b->material), "Land1");
        }
    }
    EXPECT_GT(steepBlocks, 0);
}

TEST(Quarter, UrbanBlockInALowQuarterAsserts) {
    FieldTown dense(100.0f);
    auto q = makeQuarter(rectangle(100, 100), 4.0f, dense.town.get());
    ASSERT_TRUE(q->urban);
    bool fired = false;
    for (int32_t seed = 0; seed < 20 && !fired; ++seed) {
        RandomGenerator::generation().seed(seed);
        try {
            q->makeBlock(LandPoly(rectangle(60, 60)), 3600.0f);
        } catch (const AssertException& e) {
            fired = true;
            EXPECT_EQ(e.source(), "typology/TypQuaIrregular");
            EXPECT_EQ(e.line(), 109);
        }
    }
    EXPECT_TRUE(fired);
}

TEST(Quarter, Parameters) {
    auto q = makeQuarter(rectangle(100, 100));
    ParameterList list;
    q->declareParameters(list);
    ASSERT_GE(list.count(), 6);
    EXPECT_EQ(list.name(0), "TypQuaIrregular");
    EXPECT_EQ(list.name(1), "Block area");
    EXPECT_EQ(list.name(2), "Winding (angle)");
    EXPECT_EQ(list.name(3), "TypQua");
    EXPECT_EQ(list.name(4), "Urban");
    EXPECT_EQ(list.name(5), "DescPolyLand");
    EXPECT_STREQ(list.record(2)->text(), "No winding");
}

TEST(Quarter, WorldQuarterCollapseAndRefineGiveIdenticalChildren) {
    auto root = buildWorld();
    root->refine(kModelView);
    auto* mun = dynamic_cast<TypMunIrregular*>(root->child(0));
    mun->refine(kModelView);
    int checked = 0, urban = 0;
    for (auto* town : childrenOf<TypTowIrregular>(*mun)) {
        town->refine(kModelView);
        for (auto* quarter : childrenOf<TypQuaIrregular>(*town)) {
            quarter->refine(kModelView);
            std::vector<std::string> first;
            auto print = [](const Drawable* c) {
                std::string s = std::string(c->className().name) + " " + std::to_string(c->seed);
                if (auto* p = dynamic_cast<const DescPoly*>(c))
                    for (const Point& q : p->poly.points())
                        s += " " + std::to_string(q.x) + "," + std::to_string(q.y) + "/" + std::to_string(q.limit);
                return s;
            };
            for (int i = 0; i < quarter->childCount(); ++i)
                first.push_back(print(quarter->child(i)));
            const int nodes = quarter->graph.count();
            quarter->releaseChildren();
            RandomGenerator::generation().seed(checked + 1);
            quarter->refine(kModelView);
            EXPECT_EQ(quarter->graph.count(), nodes);
            ASSERT_EQ(quarter->childCount(), static_cast<int>(first.size()));
            for (int i = 0; i < quarter->childCount(); ++i)
                EXPECT_EQ(print(quarter->child(i)), first[i]);
            urban += quarter->urban;
            ++checked;
        }
        town->releaseChildren();
        if (checked >= 30)
            break;
    }
    EXPECT_GE(checked, 30);
    EXPECT_GT(urban, 0);
}
