// Street pieces, market stalls, lamps, cars, tree lines and trees: the edge
// cases of their generation, and one real quarter grown to its leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/DrawablePolyExtruded.h"
#include "core/Model.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "typology/building/TypBuiSite.h"
#include "typology/building/TypBuiStalls.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/building/TypBuiTreeLine.h"
#include "typology/building/TypRooStall.h"
#include "typology/building/TypTree.h"
#include "typology/construction/LinearConstruction.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypConStreet.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"
#include "typology/World.h"

#include "../TypologyTestSupport.h"

namespace {

// Grows d and everything below it, trees only down to their trunks.
void growToTrunks(Desc& d) {
    d.refine(kModelView);
    if (dynamic_cast<TypTree*>(&d))
        return;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<Desc*>(d.child(i)))
            growToTrunks(*c);
}

// Visits every drawable below d (d included), parents before children.
void visit(Drawable& d, const std::function<void(Drawable&)>& f) {
    f(d);
    if (auto* desc = dynamic_cast<Desc*>(&d))
        for (int i = 0; i < desc->childCount(); ++i)
            visit(*desc->child(i), f);
}

// True when (x, y) lies in poly or within 1 cm of it.
bool within(const Poly& poly, float x, float y) {
    const Poly grown = poly.insetUniform(0.01f);
    return poly.containsPoint(x, y) || grown.containsPoint(x, y);
}

// Ground that is flat at height h: every point maps to one noise point whose
// height is scaled to h.
struct FlatGround {
    NoiseSource noise;
    std::unique_ptr<Terrain> terrain;
    explicit FlatGround(float h) {
        noise.initNoise(2, 7);
        noise.height = 1;
        noise.roughness = 0.5f;
        Matrix44 one;
        one(0, 0) = one(2, 2) = 0;
        one(0, 3) = 1234.5f;
        one(2, 3) = 678.9f;
        noise.height = h / noise.terrainHeight(1234.5f, 678.9f);
        terrain = std::make_unique<Terrain>(&noise, one);
    }
};

template <class T>
std::vector<T*> all(Desc& root) {
    std::vector<T*> out;
    visit(root, [&](Drawable& d) {
        if (auto* t = dynamic_cast<T*>(&d))
            out.push_back(t);
    });
    return out;
}

}  // namespace

TEST(StreetPiece, MarketNarrowerThanTwoVergesIsOnePavedPieceAndWiderOnesGetStallRows) {
    FlatGround ground(5);
    const struct {
        float width;
        size_t rows, pavings;
    } cases[] = {{1.3f, 0, 1}, {1.5f, 0, 3}, {3.0f, 1, 3}, {6.0f, 1, 4}, {10.0f, 3, 4}};
    for (const auto& c : cases) {
        TypBuiStreetMarket market(rectangle(40, c.width), Extrusion{0, 10}, ground.terrain.get(), nullptr, 3, "Road1");
        market.refine(kModelView);
        EXPECT_EQ(childrenOf<TypBuiStalls>(market).size(), c.rows) << c.width;
        EXPECT_EQ(childrenOf<TypConStreet>(market).size(), c.pavings) << c.width;
        for (auto* row : childrenOf<TypBuiStalls>(market))
            EXPECT_NEAR(row->poly.edge(0).length(), TypBuiStreetMarket::kStallDepth, 1e-3f);
    }
}

TEST(StreetPiece, StallWidthsTakeTheRestWhenLessThanADrawnWidthPlusOneWouldBeLeft) {
    const struct {
        std::vector<float> draws, widths;
    } cases[] = {{{1.5f, 1.2f, 2.9f}, {1.5f, 1.2f, 1.8f}}, {{2.0f, 1.8f}, {2.0f, 2.5f}}, {{2.9f, 1.2f}, {2.9f, 1.6f}}};
    for (const auto& c : cases) {
        std::vector<float> widths;
        float remaining = 4.5f;
        for (size_t i = 0; remaining > 0 && i < c.draws.size(); ++i) {
            widths.push_back(TypBuiStalls::stallWidth(remaining, c.draws[i]));
            remaining -= widths.back();
        }
        ASSERT_EQ(widths.size(), c.widths.size());
        for (size_t i = 0; i < widths.size(); ++i)
            EXPECT_NEAR(widths[i], c.widths[i], 1e-5f);
    }
}

TEST(StreetPiece, TwentiethCenturyStreetOnFlatGroundAtFive) {
    FlatGround ground(5);
    TypBuiStreet20 street(rectangle(35, 8), Extrusion{0, 10}, ground.terrain.get(), nullptr, 11, "Road1");
    street.fitTo(ground.terrain.get(), TypBuiStreet::kPavingOverHeight);
    EXPECT_NEAR(street.extrusion.level, 5, 1e-4f);
    EXPECT_NEAR(street.extrusion.height, 1, 1e-4f);
    street.refine(kModelView);
    ASSERT_EQ(childrenOf<TypConStreet>(street).size(), 1u);
    const TypConStreet* paving = childrenOf<TypConStreet>(street)[0];
    EXPECT_NEAR(paving->extrusion.level, 5, 1e-4f);
    EXPECT_NEAR(paving->extrusion.height, 1, 1e-4f);
    // Lamps 1, 11, 21, 31 along the building line (edge 3, from x = 35 to 0 at y = 0).
    std::vector<float> lamps;
    int cars = 0;
    for (auto* model : childrenOf<DrawableModel>(street)) {
        const Vector at = model->placement.translationPart();
        EXPECT_NEAR(at.y, 5, 1e-4f);
        ASSERT_NE(model->model, nullptr) << "no model data in ../data";
        if (model->model->name == "Street_lamp1") {
            lamps.push_back(35 - at.x);
            EXPECT_NEAR(at.z, TypBuiStreet20::kLampSetBack, 1e-4f);
        } else {
            ++cars;
            EXPECT_NEAR(at.z, 8 - TypBuiStreet20::kCarriageway, 1e-4f);  // along edge 1, 1.2 inside
            EXPECT_GE(at.x, TypBuiStreet20::kFirstCar - 1e-4f);
            EXPECT_LE(at.x, 35 - TypBuiStreet20::kCarHalfLength);
        }
    }
    EXPECT_EQ(lamps, (std::vector<float>{1, 11, 21, 31}));
    EXPECT_GE(cars, 2);
    EXPECT_LE(cars, 4);
}

TEST(Tree, DepthsChildCountsShrinkAndSectionsAndTheSameSeedGrowsTheSameTree) {
    Terrain flat(nullptr);
    std::vector<std::vector<float>> shapes;
    for (int pass = 0; pass < 2; ++pass) {
        RandomGenerator random(4711);
        TypTree tree(3, 4, 1, 8, &flat, random);
        EXPECT_NEAR(tree.base.y, -TypTree::kSink, 1e-6f);
        EXPECT_GE(tree.length, 2);
        EXPECT_LT(tree.length, 3);
        std::vector<float> shape;
        std::map<int, int> perDepth;
        std::function<void(TypTreeBranch&)> check = [&](TypTreeBranch& b) {
            b.refine(kModelView);
            ++perDepth[b.depth];
            shape.insert(shape.end(), {b.length, b.radius, b.base.x, b.base.y, b.base.z});
            auto* prism = dynamic_cast<DrawablePolyExtrudedP*>(b.child(0));
            ASSERT_NE(prism, nullptr);
            EXPECT_EQ(prism->poly.count(), b.depth == 0 ? 6 : 3);
            EXPECT_NEAR(prism->extrusion.height, 1.35f * b.length, 1e-5f);
            const auto kids = childrenOf<TypTreeBranch>(b);
            if (b.depth == TypTreeBranch::kMaxDepth) {
                EXPECT_TRUE(kids.empty());
                return;
            }
            EXPECT_GE(kids.size(), 2u);
            EXPECT_LE(kids.size(), 4u);
            for (TypTreeBranch* k : kids) {
                EXPECT_EQ(k->depth, b.depth + 1);
                EXPECT_GE(k->length / b.length, 0.5f - 1e-6f);
                EXPECT_LT(k->length / b.length, 0.7f + 1e-6f);
                EXPECT_GE(k->radius / b.radius, 0.6f - 1e-6f);
                EXPECT_LT(k->radius / b.radius, 0.8f + 1e-6f);
                // Children start at the tip, sunk back by a fraction of the radius.
                EXPECT_LT((k->base - b.tip()).length(), b.radius);
                check(*k);
            }
        };
        check(tree);
        EXPECT_EQ(perDepth.size(), 6u);
        shapes.push_back(shape);
    }
    EXPECT_EQ(shapes[0], shapes[1]);
}

// Until it grows, a tree shows its trunk prism where the grown trunk stands,
// and a released branch shows its own prism again.
TEST(Tree, UngrownBranchesDrawTheirOwnPrism) {
    struct Prisms : NullRenderContext {
        void extrudedPolygon(const Poly& poly, const Extrusion& e, Material*, int) override {
            corners.push_back(poly.count());
            heights.push_back(e.height);
            origins.push_back(model.transformPoint({0, 0, 0}));
        }
        std::vector<int> corners;
        std::vector<float> heights;
        std::vector<Vector> origins;
    } ctx;
    Terrain flat(nullptr);
    RandomGenerator random(4711);
    TypTree tree(3, 4, 1, 8, &flat, random);
    tree.renderOwnShape(ctx);
    ASSERT_EQ(ctx.corners, std::vector<int>{6});
    EXPECT_NEAR(ctx.heights[0], 1.35f * tree.length, 1e-5f);
    EXPECT_NEAR((ctx.origins[0] - tree.base).length(), 0, 1e-5f);
    tree.refine(kModelView);
    const auto kids = childrenOf<TypTreeBranch>(tree);
    ASSERT_FALSE(kids.empty());
    kids[0]->drawOwnShape(ctx);
    ASSERT_EQ(ctx.corners.size(), 2u);
    EXPECT_EQ(ctx.corners[1], 3);
    EXPECT_NEAR((ctx.origins[1] - kids[0]->base).length(), 0, 1e-5f);
    EXPECT_TRUE(ctx.model == Matrix44::identity());
}

// One real quarter grown down to the trunks of its trees.
TEST(StreetFurnitureSweep, ARealQuartersStreetsStallsLampsCarsAndTreesStandWhereTheyBelong) {
    auto root = buildWorld();
    TypQuaIrregular* quarter = centralQuarter(*root, 0);
    ASSERT_NE(quarter, nullptr);
    growToTrunks(*quarter);

    std::map<std::string, int> classes;
    int strayStalls = 0, strayModels = 0, floatingModels = 0, strayTrees = 0;
    visit(*quarter, [&](Drawable& d) {
        ++classes[d.className().name];
        if (auto* m = dynamic_cast<DrawableModel*>(&d))
            ++classes["model " + (m->model ? m->model->name : std::string("(unbound)"))];
    });
    for (auto* street : all<TypBuiStreet>(*quarter)) {
        if (dynamic_cast<TypRooStall*>(street->parent))
            continue;
        for (auto* row : childrenOf<TypBuiStalls>(*street))
            for (auto* stall : childrenOf<TypRooStall>(*row))
                for (const Point& p : stall->poly.points())
                    if (!within(street->poly, p.x, p.y) || !within(row->poly, p.x, p.y)) {
                        ++strayStalls;
                        ADD_FAILURE() << "stall of street " << street->seed << " at " << p.x << "," << p.y;
                    }
        // Lamps and cars stand on the paving: inside the piece, at the ground's height.
        for (auto* model : childrenOf<DrawableModel>(*street)) {
            const Vector at = model->placement.translationPart();
            if (!within(street->poly, at.x, at.z))
                ++strayModels;
            if (std::fabs(at.y - street->terrain->height(at.x, at.z)) > 0.05f)
                ++floatingModels;
        }
    }
    for (auto* site : all<TypBuiSite>(*quarter))
        for (auto* line : childrenOf<TypBuiTreeLine>(*site))
            for (auto* tree : childrenOf<TypTree>(*line)) {
                const bool onSite = within(line->poly, tree->base.x, tree->base.z) &&
                                    within(site->poly, tree->base.x, tree->base.z) &&
                                    std::fabs(tree->base.y + TypTree::kSink -
                                              site->plotTerrain()->height(tree->base.x, tree->base.z)) < 1e-3f;
                strayTrees += !onSite;
                EXPECT_TRUE(tree->material->bound()) << "no wood1 material in ../data";
            }
    // Each strip's kerb rail stands on its bed, inside the strip.
    long rails = 0, strayRails = 0;
    for (auto* site : all<TypBuiSite>(*quarter))
        for (auto* line : childrenOf<TypBuiTreeLine>(*site)) {
            const auto beds = childrenOf<TypConSlabSimple>(*line);
            for (auto* rail : childrenOf<LinearConstruction>(*line)) {
                ++rails;
                const float bedTop = beds.empty() ? -1e9f : beds[0]->extrusion.level + beds[0]->extrusion.height;
                strayRails += !within(line->poly, rail->line.x0, rail->line.y0) ||
                              !within(line->poly, rail->line.x1, rail->line.y1) ||
                              std::fabs(rail->extrusion.level - bedTop) > 1e-4f;
            }
        }
    EXPECT_GT(rails, 0);
    EXPECT_EQ(strayRails, 0);
    EXPECT_EQ(strayStalls, 0);
    EXPECT_EQ(strayModels, 0);
    EXPECT_EQ(floatingModels, 0);
    EXPECT_EQ(strayTrees, 0);
    for (const char* name : {"TypBuiStreet", "TypBuiStreet20", "TypBuiStreetMarket", "TypConStreet", "TypBuiStalls",
                             "TypRooStall", "TypBuiTreeLine", "TypTree", "TypTreeBranch", "model Street_lamp1",
                             "model Car1", "model Car2", "model Canopy1", "model Canopy2"})
        EXPECT_GT(classes[name], 0) << name;

    std::vector<ChildPrint> first, second;
    visit(*quarter, [&](Drawable& d) {
        if (auto* desc = dynamic_cast<Desc*>(&d))
            for (const ChildPrint& p : printChildren(*desc))
                first.push_back(p);
    });
    quarter->releaseChildren();
    growToTrunks(*quarter);
    visit(*quarter, [&](Drawable& d) {
        if (auto* desc = dynamic_cast<Desc*>(&d))
            for (const ChildPrint& p : printChildren(*desc))
                second.push_back(p);
    });
    EXPECT_TRUE(first == second);
}
