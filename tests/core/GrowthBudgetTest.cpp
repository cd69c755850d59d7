// The budgeted traversal on the CPU: growth spread over frames largest first,
// never past the limit and never leaving a hole, the same tree in the end;
// released children leaving the tree at once and destroyed a bounded number
// a frame; out-of-view subtrees kept for a few frames.
#include "core/GrowthBudget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Assert.h"
#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "core/NullRenderContext.h"
#include "core/RandomGenerator.h"
#include "tests/core/TraversalWatch.h"

using namespace traversal_watch;

namespace {

Poly square(float x0, float y0, float side) {
    return Poly({{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}});
}

// Cuts its square into four, each child taking the next draw as its seed and
// one more as its height, down to `levels` levels; the last level makes
// nothing, or with leafPrisms four prisms (drawables, as the town's leaves).
// throwAt: a seed whose generation fails its check (0: none).
class Quad : public DescPoly {
public:
    Quad(const Poly& p, float h, uint32_t seed, int levels, bool leafPrisms = false)
        : DescPoly(p, h, seed, nullptr), levels_(levels), leafPrisms_(leafPrisms) {}

    void generate() override {
        CALLI_ASSERT(seed != throwAt);
        if (levels_ == 0)
            return;
        auto& g = RandomGenerator::generation();
        const float half = (poly[1].x - poly[0].x) / 2;
        for (int i = 0; i < 4; ++i) {
            const auto childSeed = static_cast<uint32_t>(g.next());
            const auto h = static_cast<float>(g.range(1, 10));
            const Poly part = square(poly[0].x + half * (i % 2), poly[0].y + half * (i / 2), half);
            if (leafPrisms_ && levels_ == 1)
                addChild(std::make_unique<DrawablePolyExtruded>(part, Extrusion{0, h}, childSeed, nullptr));
            else
                addChild(std::make_unique<Quad>(part, h, childSeed, levels_ - 1, leafPrisms_));
        }
    }

    static inline uint32_t throwAt = 0;

private:
    int levels_;
    bool leafPrisms_;
};

// A row of quads along x, each `side` wide, `gap` apart, under one root that
// makes them all at once.
class Row : public DescPoly {
public:
    Row(int count, float side, float gap, int levels)
        : DescPoly(square(0, 0, static_cast<float>(count) * (side + gap)), 1, 1, nullptr), count_(count),
          side_(side), gap_(gap), levels_(levels) {}
    void generate() override {
        auto& g = RandomGenerator::generation();
        for (int i = 0; i < count_; ++i)
            addChild(std::make_unique<Quad>(square(static_cast<float>(i) * (side_ + gap_), 0, side_), 5,
                                            static_cast<uint32_t>(g.next()), levels_));
    }

private:
    int count_;
    float side_, gap_;
    int levels_;
};

void frame(RenderContext& ctx, Desc& root) {
    ctx.beginFrame();
    root.render(ctx);
    ctx.endFrame();
}

// Seed, child count and order of every description, depth first.
std::string shape(const Desc& d) {
    std::string s = std::to_string(d.seed) + "(" + std::to_string(d.childCount());
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            s += " " + shape(*c);
    return s + ")";
}

long descriptions(const Desc& d) {
    long n = 1;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            n += descriptions(*c);
    return n;
}

long withChildren(const Desc& d) {
    long n = d.childCount() > 0 ? 1 : 0;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            n += withChildren(*c);
    return n;
}

struct Budgeted : ::testing::Test {
    void SetUp() override { RandomGenerator::collapse().seed(161803398); }
    // From (50, 30, -60) over the 100 m square towards its middle, at
    // detail 2: most of a five-level quad refines.
    void lookAtSquare(NullRenderContext& ctx) const {
        ctx.setDetail(2.0f);
        ctx.lookAt({50, 30, -60}, {50, 0, 50});
    }
    NullRenderContext ctx;
};

}  // namespace

TEST_F(Budgeted, GrowthSpreadsOverFramesWithinTheLimitWithoutHolesAndEndsAsTheUnlimitedTree) {
    NullRenderContext unlimited;
    Quad reference(square(0, 0, 100), 5, 4242, 5, true);
    lookAtSquare(unlimited);
    const Outcomes whole = watchFrame(unlimited, reference);
    ASSERT_GT(descriptions(reference), 200) << "the view needs many generations of growth";

    Quad root(square(0, 0, 100), 5, 4242, 5, true);
    ctx.growth().setLimit(GrowthBudget::kMinimum);
    lookAtSquare(ctx);
    int frames = 0;
    long grown = 0;
    for (; frames < 400; ++frames) {
        const Outcomes seen = watchFrame(ctx, root);
        const GrowthBudget::Counts& c = ctx.growth().counts();
        EXPECT_LE(c.made, GrowthBudget::kMinimum) << "frame " << frames;
        EXPECT_EQ(firstHole(whole, seen), "") << "frame " << frames;
        grown += c.generations;
        if (c.made == 0 && c.waiting == 0)
            break;
    }
    EXPECT_GT(frames, 10) << "one generation of four children a frame";
    EXPECT_LT(frames, 400);
    EXPECT_EQ(grown, withChildren(reference)) << "every description grown once, and only those";
    EXPECT_EQ(shape(root), shape(reference));
}

TEST_F(Budgeted, LargestOnScreenGrowsFirst) {
    // Eight 10 m quads in a row, the camera before the first: nearer ones are
    // larger on screen.
    Row row(8, 10, 5, 1);
    ctx.growth().setLimit(GrowthBudget::kMinimum);
    ctx.lookAt({5, 3, -15}, {60, 0, 10});
    frame(ctx, row);  // the row itself
    ASSERT_EQ(row.childCount(), 8);
    std::vector<float> grownAt;
    for (int f = 0; f < 12; ++f) {
        frame(ctx, row);
        for (int i = 0; i < row.childCount(); ++i) {
            auto* q = static_cast<DescPoly*>(row.child(i));
            if (q->childCount() > 0 && std::find(grownAt.begin(), grownAt.end(), q->poly[0].x) == grownAt.end())
                grownAt.push_back(q->poly[0].x);
        }
    }
    ASSERT_GE(grownAt.size(), 4u);
    for (size_t i = 1; i < grownAt.size(); ++i)
        EXPECT_LT(grownAt[i - 1], grownAt[i]) << "grown " << i << "th";
}

TEST_F(Budgeted, ReleasedChildrenLeaveAtOnceAndGoAtMostTheLimitAFrame) {
    Quad root(square(0, 0, 100), 5, 99, 5);
    NullRenderContext unlimited;
    lookAtSquare(unlimited);
    frame(unlimited, root);
    const long grown = descriptions(root);
    ASSERT_GT(grown, GrowthBudget::kMinimum * 2);

    ctx.growth().setLimit(GrowthBudget::kMinimum);
    // Far beyond the guard band: the square lies behind the camera.
    ctx.lookAt({50, 30, -200}, {50, 30, -500});
    const long alive = Desc::liveCount;
    for (int f = 0; f < GrowthBudget::kReleaseDelay; ++f) {
        frame(ctx, root);
        ASSERT_EQ(root.childCount(), 4) << "kept for the delay, frame " << f;
    }
    frame(ctx, root);
    EXPECT_EQ(root.childCount(), 0) << "out of the tree at once";
    EXPECT_GT(ctx.growth().detachedRoots(), 0);
    long last = Desc::liveCount;
    int frames = 1;
    for (; ctx.growth().detachedRoots() > 0 && frames < 100; ++frames) {
        EXPECT_LE(ctx.growth().counts().freed, GrowthBudget::kMinimum);
        frame(ctx, root);
        EXPECT_GE(last - Desc::liveCount, 0);
        last = Desc::liveCount;
    }
    EXPECT_GT(frames, 2) << "spread over frames";
    EXPECT_EQ(Desc::liveCount, alive - (grown - 1));
}

TEST_F(Budgeted, SwingingBackWithinTheDelayRegrowsNothing) {
    Quad root(square(0, 0, 100), 5, 99, 3);
    ctx.growth().setLimit(GrowthBudget::kDefault);
    lookAtSquare(ctx);
    for (int f = 0; f < 5; ++f)
        frame(ctx, root);
    const std::string grown = shape(root);
    // Away beyond the guard band for the whole delay, then back.
    ctx.lookAt({50, 30, -200}, {50, 30, -500});
    for (int f = 0; f < GrowthBudget::kReleaseDelay; ++f)
        frame(ctx, root);
    lookAtSquare(ctx);
    Desc::resetCounters();
    frame(ctx, root);
    EXPECT_EQ(Desc::generatedCount, 0);
    EXPECT_EQ(shape(root), grown);

    // Just outside the view, 46 degrees aside (within the guard band), it
    // keeps them longer.
    const Vector eye(50, 2.5f, -200);
    ctx.lookAt(eye, eye + Vector(std::sin(0.8f), 0, std::cos(0.8f)) * 100);
    const Vector c = ctx.modelView.transformPoint(root.centre);
    uint32_t mask = 63;
    ASSERT_GE(Desc::outsidePlane(ctx, c, root.radius, mask), 0);
    ASSERT_FALSE(Desc::beyondGuardBand(ctx, c, root.radius, mask));
    for (int f = 0; f <= GrowthBudget::kReleaseDelay; ++f)
        frame(ctx, root);
    EXPECT_EQ(root.childCount(), 4) << "within the guard band";
    for (int f = GrowthBudget::kReleaseDelay + 1; f <= GrowthBudget::kGuardDelay; ++f)
        frame(ctx, root);
    EXPECT_EQ(root.childCount(), 0);
}

TEST_F(Budgeted, FailedGenerationLeavesTheBudgetUsable) {
    Quad root(square(0, 0, 100), 5, 7, 2);
    ctx.growth().setLimit(GrowthBudget::kDefault);
    lookAtSquare(ctx);
    Quad::throwAt = 7;
    EXPECT_THROW(frame(ctx, root), AssertException);
    EXPECT_FALSE(ctx.growth().traversing());
    Quad::throwAt = 0;
    for (int f = 0; f < 10; ++f)
        frame(ctx, root);
    EXPECT_EQ(root.childCount(), 4);
    EXPECT_EQ(ctx.growth().counts().waiting, 0);
}

TEST_F(Budgeted, DescriptionThatGrowsNothingStopsWaiting) {
    Quad leaf(square(0, 0, 100), 5, 3, 0);
    ctx.growth().setLimit(GrowthBudget::kMinimum);
    lookAtSquare(ctx);
    frame(ctx, leaf);
    EXPECT_EQ(ctx.growth().counts().generations, 1);
    EXPECT_EQ(ctx.growth().counts().made, 1) << "a generation costs one node at least";
    for (int f = 0; f < 3; ++f) {
        const Outcomes seen = watchFrame(ctx, leaf);
        EXPECT_EQ(seen.of.at(""), GrowthBudget::Outcome::Refined);
        EXPECT_EQ(ctx.growth().counts().generations, 0);
    }
    // Released, it may grow again.
    leaf.releaseChildren();
    frame(ctx, leaf);
    EXPECT_EQ(ctx.growth().counts().generations, 1);
}
