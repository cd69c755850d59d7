#include "typology/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "navigation/DrawableGraph.h"
#include "typology/town/LandPoly.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

#include "TypologyTestSupport.h"

namespace {

bool isCorner(const Point& p) {
    for (const auto& c : world::kCorners)
        if (p.x == c[0] && p.y == c[1])
            return true;
    return false;
}

TypMunIrregular* refineRegion(TypRegIrregular& region) {
    region.refine(kModelView);
    EXPECT_EQ(region.childCount(), 1);
    return dynamic_cast<TypMunIrregular*>(region.child(0));
}

std::vector<TypTowIrregular*> townsOf(TypMunIrregular& mun) {
    std::vector<TypTowIrregular*> towns;
    for (int i = 0; i < mun.childCount(); ++i)
        if (auto* t = dynamic_cast<TypTowIrregular*>(mun.child(i)))
            towns.push_back(t);
    return towns;
}

void expectSameChildren(const std::vector<ChildPrint>& a, const std::vector<ChildPrint>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].className, b[i].className) << "child " << i;
        EXPECT_EQ(a[i].seed, b[i].seed) << "child " << i;
        ASSERT_EQ(a[i].points.size(), b[i].points.size()) << "child " << i;
        for (size_t k = 0; k < a[i].points.size(); ++k) {
            EXPECT_EQ(a[i].points[k].x, b[i].points[k].x);
            EXPECT_EQ(a[i].points[k].y, b[i].points[k].y);
            EXPECT_EQ(a[i].points[k].limit, b[i].points[k].limit);
        }
    }
}

void collectNodes(Desc& d, std::set<const GraphNode*>& nodes) {
    if (Graph* g = d.navigationPatch())
        for (const auto& n : g->nodes())
            nodes.insert(n.get());
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            collectNodes(*c, nodes);
}

// Every neighbour of every live node must itself be a live node.
int danglingNeighbours(Desc& root) {
    std::set<const GraphNode*> live;
    collectNodes(root, live);
    int dangling = 0;
    for (const GraphNode* n : live)
        for (const GraphNode* m : n->neighbours)
            if (!live.count(m))
                ++dangling;
    return dangling;
}

// A square piece of land of the given side, corners at the origin, with
// anchors along its edges as the world outline has them.
Poly square(float side, float x0 = 0, float y0 = 0) {
    LandPoly p;
    p.append({x0, y0, 0});
    p.append({x0, y0 + side, 0});
    p.append({x0 + side, y0 + side, 0});
    p.append({x0 + side, y0, 0});
    return p.poly();
}

}  // namespace

// ---- World root ----

TEST(World, OutlineHas94PointsWithCornerAndAnchorMarks) {
    auto root = buildWorld();
    ASSERT_EQ(root->poly.count(), 94);
    ASSERT_EQ(root->widths.size(), 94u);
    int corners = 0;
    for (int i = 0; i < root->poly.count(); ++i) {
        const Point& p = root->poly[i];
        if (isCorner(p)) {
            ++corners;
            EXPECT_EQ(p.limit, 0) << i;
            EXPECT_EQ(root->widths[i], 0.0f) << i;
        } else {
            EXPECT_EQ(p.limit, landlimit::kAnchor) << i;
            EXPECT_EQ(root->widths[i], 5.0f) << i;
        }
    }
    EXPECT_EQ(corners, 4);
    EXPECT_EQ(root->poly[0].x, 0.0f);
    EXPECT_EQ(root->poly[0].y, 0.0f);
}

TEST(World, RootCarriesTheStartingValues) {
    auto root = buildWorld();
    EXPECT_EQ(root->seed, 9236u);
    EXPECT_FLOAT_EQ(root->overHeight, 70.0f);
    EXPECT_FLOAT_EQ(root->winding, 0.39269909f);
    EXPECT_FLOAT_EQ(root->noise.height, 70.0f);
    EXPECT_FLOAT_EQ(root->noise.roughness, 0.5f);
    EXPECT_EQ(root->terrain, &root->land);
    EXPECT_FALSE(root->material->bound());
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->childCount(), 0);
    // Fitted: the base is the lowest ground under the outline.
    float low = 0, high = 0;
    ASSERT_TRUE(root->land.range(root->poly, low, high));
    EXPECT_EQ(root->extrusion.level, low);
    EXPECT_FLOAT_EQ(root->extrusion.height, high - low + 70.0f);
    // The jitter moves the outline only slightly off the four corners' area.
    EXPECT_NEAR(root->poly.area(), 18785000.0f, 18785000.0f * 0.02f);
}

TEST(World, TwoBuildsGiveTheSameOutlineAndMunicipality) {
    auto first = buildWorld();
    // Disturb the generator in between: the build must reseed it.
    RandomGenerator::generation().seed(12345);
    RandomGenerator::generation().next();
    auto second = buildWorld();
    ASSERT_EQ(first->poly.count(), second->poly.count());
    for (int i = 0; i < first->poly.count(); ++i) {
        EXPECT_EQ(first->poly[i].x, second->poly[i].x);
        EXPECT_EQ(first->poly[i].y, second->poly[i].y);
        EXPECT_EQ(first->poly[i].limit, second->poly[i].limit);
    }
    EXPECT_EQ(first->widths, second->widths);
    TypMunIrregular* a = refineRegion(*first);
    TypMunIrregular* b = refineRegion(*second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->seed, b->seed);
}

TEST(World, RebuildDestroysTheOldTreeAndRepublishes) {
    std::unique_ptr<Desc> holder;
    TypRegIrregular* first = buildWorld(holder);
    EXPECT_EQ(navigationRoot(), first);
    EXPECT_EQ(collisionRoot(), first);
    refineRegion(*first);
    const long liveWithTree = Desc::liveCount;
    TypRegIrregular* second = buildWorld(holder);
    EXPECT_EQ(holder.get(), second);
    EXPECT_EQ(navigationRoot(), second);
    // Root and municipality of the first world are gone; one new root exists.
    EXPECT_EQ(Desc::liveCount, liveWithTree - 1);
    destroyWorld(holder);
    EXPECT_EQ(holder, nullptr);
    EXPECT_EQ(navigationRoot(), nullptr);
    EXPECT_EQ(collisionRoot(), nullptr);
}

// ---- Region ----

TEST(Region, GeneratesOneNodePerOutlinePointAndOneMunicipality) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    ASSERT_NE(mun, nullptr);
    ASSERT_EQ(root->graph.count(), root->poly.count());
    for (int i = 0; i < root->poly.count(); ++i) {
        EXPECT_EQ(mun->pointNodes[i], root->graph.node(i));
        EXPECT_FLOAT_EQ(root->graph.node(i)->position.x, root->poly[i].x);
        EXPECT_FLOAT_EQ(root->graph.node(i)->position.z, root->poly[i].y);
    }
    EXPECT_EQ(mun->poly, root->poly);
    EXPECT_EQ(mun->widths, root->widths);
    EXPECT_EQ(mun->parentRegion, root.get());
    EXPECT_EQ(mun->terrain, &root->land);
    EXPECT_STREQ(mun->className().name, "TypMunIrregular");
}

TEST(Region, FitToTerrainSetsTheNoiseUpAgain) {
    auto root = buildWorld();
    const float before = root->land.height(1000, 1000);
    root->noise.initNoise(2, 1);  // some other ground
    root->land.clearCache();
    EXPECT_NE(root->land.height(1000, 1000), before);
    root->fitToTerrain();
    EXPECT_EQ(root->land.height(1000, 1000), before);
}

// ---- Municipality ----

TEST(Municipality, WorldValues) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    ASSERT_NE(mun, nullptr);
    EXPECT_NEAR(mun->townArea, 1878500.0f, 1878500.0f * 0.02f);
    EXPECT_FLOAT_EQ(mun->townArea, root->poly.area() * 0.1f);
    EXPECT_FLOAT_EQ(mun->populationSize, 0.5f);
    EXPECT_FLOAT_EQ(mun->winding, root->winding);

    mun->refine(kModelView);
    const PopulationField& field = mun->populationField;
    // The centre and trunc(94 / 20) = 4 random blobs, all at R = 100, within S = 500.
    ASSERT_EQ(field.points.size(), 5u);
    EXPECT_EQ(field.points[0].x, mun->centre.x);
    EXPECT_EQ(field.points[0].y, mun->centre.z);
    for (const auto& blob : field.points) {
        EXPECT_FLOAT_EQ(blob.value, 100.0f);
        EXPECT_LE(std::fabs(blob.x - mun->centre.x), 500.0f);
        EXPECT_LE(std::fabs(blob.y - mun->centre.z), 500.0f);
    }
    EXPECT_EQ(field.edges.size(), static_cast<size_t>(mun->poly.count()));
    // Towns first, then the graph drawable last in generation; after sorting
    // the graph drawable sorts behind every town.
    auto towns = townsOf(*mun);
    EXPECT_GE(towns.size(), 2u);
    EXPECT_EQ(static_cast<int>(towns.size()) + 1, mun->childCount());
    EXPECT_NE(dynamic_cast<DrawableGraph*>(mun->child(mun->childCount() - 1)), nullptr);
}

TEST(Municipality, PopulationFieldIsZeroOnTheOutlineAndRAtABlob) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    mun->refine(kModelView);
    const PopulationField& field = mun->populationField;
    for (int i = 0; i < mun->poly.count(); i += 7) {
        const Segment e = mun->poly.edge(i);
        EXPECT_EQ(field.valueAt(e.x0, e.y0), 0.0f);
        const Vec2 mid = e.pointAt(0.5f);
        EXPECT_EQ(field.valueAt(mid.x, mid.y), 0.0f);
    }
    for (const auto& blob : field.points)
        EXPECT_NEAR(field.valueAt(blob.x, blob.y), 100.0f, 0.01f);
    // Between the outline and the blobs the field lies strictly in between.
    const float inside = field.valueAt(mun->centre.x + 1000, mun->centre.z);
    EXPECT_GT(inside, 0.0f);
    EXPECT_LT(inside, 100.0f);
}

TEST(PopulationField, InverseSquareBlend) {
    PopulationField field;
    EXPECT_EQ(field.valueAt(3, 4), 0.0f);  // nothing to blend
    field.addPoint(0, 0, 10);
    field.addPoint(10, 0, 40);
    // Equal distances: the mean.
    EXPECT_FLOAT_EQ(field.valueAt(5, 0), 25.0f);
    // At distance 1 and 9: weights 1 and 1/81.
    EXPECT_NEAR(field.valueAt(1, 0), (10.0f + 40.0f / 81.0f) / (1.0f + 1.0f / 81.0f), 1e-4f);
    // Edge values interpolate along the edge and win outright on it.
    field.addEdges(square(100, 200, 200), 0, 50);
    EXPECT_FLOAT_EQ(field.valueAt(200, 250), 25.0f);
    field.reset();
    EXPECT_EQ(field.valueAt(200, 250), 0.0f);
}

TEST(Municipality, PopulationSizeOutsideTheUnitRangeAsserts) {
    TypMunIrregular mun(square(100), {}, 70, nullptr, nullptr, 1, nullptr, 1e9f, 0, -0.1f, {});
    try {
        mun.buildPopulationField();
        FAIL() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), "typology/TypMunIrregular");
        EXPECT_EQ(e.line(), 94);
    }
    mun.populationSize = 1.5f;
    try {
        mun.buildPopulationField();
        FAIL() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.line(), 95);
    }
    // "Small": R = 28, S = 100, no random blob for 4 points.
    mun.populationSize = 0.1f;
    mun.buildPopulationField();
    ASSERT_EQ(mun.populationField.points.size(), 1u);
    EXPECT_FLOAT_EQ(mun.populationField.points[0].value, 28.0f);
}

TEST(Municipality, SmallPieceBecomesOneTownWithoutADraw) {
    // A 1000 m square well inside a huge town area: no street is tried.
    const float x0 = 300, y0 = 700;
    LandPoly piece(square(1000, x0, y0));
    jitterEdges(piece, 200, 5, true);
    TypMunIrregular mun(piece.poly(), {}, 70, nullptr, nullptr, 77, "Land2", 1e7f, 0.39269909f, 0.1f,
                        piece.widths);
    mun.refine(kModelView);
    auto towns = townsOf(mun);
    ASSERT_EQ(towns.size(), 1u);
    // The town's seed is the very first draw after seeding with the municipality's seed.
    RandomGenerator expected(77);
    EXPECT_EQ(towns[0]->seed, static_cast<uint32_t>(expected.next()));
    const TypTowIrregular& town = *towns[0];
    EXPECT_EQ(town.poly[0].x, 0.0f);
    EXPECT_EQ(town.poly[0].y, 0.0f);
    EXPECT_EQ(town.transform, Matrix44::translation(x0, 0, y0));
    EXPECT_EQ(town.poly.count(), mun.poly.count());
    for (int i = 0; i < town.poly.count(); ++i) {
        EXPECT_FLOAT_EQ(town.poly[i].x + x0, mun.poly[i].x);
        EXPECT_FLOAT_EQ(town.poly[i].y + y0, mun.poly[i].y);
        EXPECT_EQ(town.poly[i].limit, mun.poly[i].limit);
    }
    EXPECT_EQ(town.widths, mun.widths);
    // Quarter area floor, half the winding.
    EXPECT_FLOAT_EQ(town.quarterArea, 160000.0f);
    EXPECT_FLOAT_EQ(town.winding, 0.39269909f * 0.5f);
    EXPECT_EQ(town.parentMunicipality, &mun);
    EXPECT_EQ(town.terrain, &town.land);
}

TEST(Municipality, PieceWithFewerThanTwoAnchorsBecomesOneTown) {
    // No anchors at all: larger than the town area but nowhere to start a street.
    TypMunIrregular mun(square(2000), {}, 70, nullptr, nullptr, 5, "Land2", 1000.0f, 0.39269909f, 0.1f, {});
    mun.refine(kModelView);
    auto towns = townsOf(mun);
    ASSERT_EQ(towns.size(), 1u);
    EXPECT_EQ(towns[0]->seed, static_cast<uint32_t>(RandomGenerator(5).next()));
    // A quarter is a hundredth of the piece when that is above the floor.
    EXPECT_FLOAT_EQ(towns[0]->quarterArea, 160000.0f);
}

TEST(Municipality, WorldTownsSitInTheirOwnFrame) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    mun->refine(kModelView);
    auto towns = townsOf(*mun);
    ASSERT_FALSE(towns.empty());
    float area = 0;
    for (TypTowIrregular* town : towns) {
        ASSERT_GT(town->poly.count(), 2);
        EXPECT_EQ(town->poly[0].x, 0.0f);
        EXPECT_EQ(town->poly[0].y, 0.0f);
        // The first point's navigation node sits where the transform puts the origin.
        ASSERT_EQ(town->pointNodes.size(), static_cast<size_t>(town->poly.count()));
        const GraphNode* origin = town->pointNodes[0];
        ASSERT_NE(origin, nullptr);
        EXPECT_FLOAT_EQ(town->transform.m[3], origin->position.x);
        EXPECT_FLOAT_EQ(town->transform.m[7], 0.0f);
        EXPECT_FLOAT_EQ(town->transform.m[11], origin->position.z);
        // The town's land reads the same ground as the region's at the same world point.
        const Vec2 local = town->poly[town->poly.count() / 2].vec();
        const float wx = local.x + town->transform.m[3], wz = local.y + town->transform.m[11];
        EXPECT_EQ(town->land.height(local), root->land.height(wx, wz));
        EXPECT_FLOAT_EQ(town->quarterArea, std::max(160000.0f, town->poly.area() * 0.01f));
        area += town->poly.area();
    }
    // The towns tile the municipality (street widths are not cut out here).
    EXPECT_NEAR(area, mun->poly.area(), mun->poly.area() * 0.001f);
    EXPECT_EQ(danglingNeighbours(*root), 0);
}

TEST(Municipality, CollapseAndRefineGiveIdenticalChildren) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    mun->refine(kModelView);
    const auto first = printChildren(*mun);
    const int nodes = mun->graph.count();
    EXPECT_GT(nodes, 0);
    mun->releaseChildren();
    EXPECT_EQ(mun->graph.count(), 0);
    EXPECT_EQ(danglingNeighbours(*root), 0);
    // Region nodes keep no edge to the freed street nodes.
    for (const auto& n : root->graph.nodes())
        EXPECT_TRUE(n->neighbours.empty());
    mun->refine(kModelView);
    expectSameChildren(first, printChildren(*mun));
    EXPECT_EQ(mun->graph.count(), nodes);
    EXPECT_EQ(danglingNeighbours(*root), 0);
}

// ---- Town ----

TEST(Town, CollapseAndRefineGiveIdenticalChildren) {
    auto root = buildWorld();
    TypMunIrregular* mun = refineRegion(*root);
    mun->refine(kModelView);
    auto towns = townsOf(*mun);
    ASSERT_FALSE(towns.empty());
    for (TypTowIrregular* town : towns)
        town->refine(kModelView);
    EXPECT_EQ(danglingNeighbours(*root), 0);

    TypTowIrregular* town = towns[0];
    const auto first = printChildren(*town);
    ASSERT_GE(first.size(), 2u);
    const int nodes = town->graph.count();
    town->releaseChildren();
    EXPECT_EQ(town->graph.count(), 0);
    EXPECT_EQ(danglingNeighbours(*root), 0);
    town->refine(kModelView);
    expectSameChildren(first, printChildren(*town));
    EXPECT_EQ(town->graph.count(), nodes);
    EXPECT_EQ(danglingNeighbours(*root), 0);

    // Quarters work in the town's coordinates on the town's land.
    int quarters = 0;
    for (int i = 0; i < town->childCount(); ++i) {
        auto* q = dynamic_cast<DescPolyLand*>(town->child(i));
        if (!q)
            continue;
        ++quarters;
        EXPECT_STREQ(q->className().name, "TypQuaIrregular");
        EXPECT_EQ(q->terrain, &town->land);
    }
    EXPECT_EQ(quarters + 1, town->childCount());
}

TEST(Town, SmallTownBecomesOneQuarter) {
    Poly p = square(300);
    LandPoly piece(p);
    jitterEdges(piece, 200, 5, true);
    TypTowIrregular town(piece.poly(), {}, 70, Matrix44::translation(100, 0, 200), nullptr, nullptr, 3, "Land2",
                         160000.0f, 0.2f, piece.widths);
    town.refine(kModelView);
    ASSERT_EQ(town.childCount(), 2);
    int quarters = 0;
    for (int i = 0; i < town.childCount(); ++i)
        if (auto* q = dynamic_cast<DescPoly*>(town.child(i))) {
            ++quarters;
            EXPECT_EQ(q->seed, static_cast<uint32_t>(RandomGenerator(3).next()));
            EXPECT_EQ(q->poly, town.poly);
        }
    EXPECT_EQ(quarters, 1);
}

TEST(Town, DrawsItsSubtreeInItsLocalFrame) {
    const Matrix44 transform = Matrix44::translation(1000, 0, 2000);
    TypTowIrregular town(square(100), {}, 10, transform, nullptr, nullptr, 3, "Land2", 160000.0f, 0.2f, {});
    EXPECT_EQ(*town.localTransform(), transform);
    EXPECT_FLOAT_EQ(town.radius, 0.5f * std::sqrt(100.0f * 100 + 10 * 10 + 100 * 100) + 0.7f);

    NullRenderContext ctx;
    ctx.lookAt({1050, 300, 1700}, {1050, 0, 2050});
    const Matrix44 model = ctx.model, modelView = ctx.modelView;
    town.computeDepth(ctx.modelView);
    EXPECT_FLOAT_EQ(town.depth, ctx.modelView.depthOf(transform.transformPoint(town.centre)));
    ctx.beginFrame();
    town.render(ctx);
    EXPECT_EQ(ctx.model, model);
    EXPECT_EQ(ctx.modelView, modelView);
    // Seen from 400 m the town is refined: its quarter was made.
    EXPECT_EQ(town.childCount(), 2);

}

namespace {
// A child that answers as its own solid prism.
class SolidPrism : public DescPoly {
public:
    SolidPrism(const Poly& p, float h) : DescPoly(p, h, 0, nullptr) {}
    bool collides(const Vector& from, const Vector& to) const override { return collidesSelf(from, to); }
};
}  // namespace

TEST(Town, AnswersCollisionsInWorldCoordinates) {
    TypTowIrregular town(square(100), {}, 10, Matrix44::translation(1000, 0, 2000), nullptr, nullptr, 3, "Land2",
                         160000.0f, 0.2f, {});
    town.addChild(std::make_unique<SolidPrism>(square(100), 10));
    EXPECT_TRUE(town.collides({1050, 5, 1900}, {1050, 5, 2050}));
    EXPECT_FALSE(town.collides({0, 5, 0}, {50, 5, 50}));
    EXPECT_FALSE(town.collides({1050, 5, 1900}, {1050, 20, 2050}));
}
