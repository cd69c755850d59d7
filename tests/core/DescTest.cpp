#include "core/Desc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "core/Assert.h"
#include "core/NullRenderContext.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"

namespace {

Poly square(float x0, float y0, float side) {
    return Poly({{x0, y0, 0}, {x0 + side, y0, 0}, {x0 + side, y0 + side, 0}, {x0, y0 + side, 0}});
}

// A test typology: cuts its square into four quarters, each taking the next
// draw as its seed and one more draw as a height, down to `levels` levels.
class QuadNode : public DescPoly {
public:
    QuadNode(const Poly& p, float h, uint32_t seed, int levels) : DescPoly(p, h, seed, nullptr), levels_(levels) {}

    void generate() override {
        if (levels_ == 0)
            return;
        auto& g = RandomGenerator::generation();
        const float half = (poly[1].x - poly[0].x) / 2;
        for (int i = 0; i < 4; ++i) {
            const uint32_t childSeed = static_cast<uint32_t>(g.next());
            const float h = static_cast<float>(g.range(1, 10));
            addChild(std::make_unique<QuadNode>(square(poly[0].x + half * (i % 2), poly[0].y + half * (i / 2), half),
                                                h, childSeed, levels_ - 1));
        }
    }

private:
    int levels_;
};

// One record per description of a subtree, in traversal order.
struct NodeRecord {
    uint32_t seed;
    std::vector<Point> points;
    float height;
    bool operator==(const NodeRecord& o) const {
        if (seed != o.seed || height != o.height || points.size() != o.points.size())
            return false;
        for (size_t i = 0; i < points.size(); ++i)
            if (points[i].x != o.points[i].x || points[i].y != o.points[i].y || points[i].limit != o.points[i].limit)
                return false;
        return true;
    }
};

void collect(const Desc& d, std::vector<NodeRecord>& out) {
    for (const auto& c : d.children) {
        auto* p = dynamic_cast<const DescPoly*>(c.get());
        ASSERT_NE(p, nullptr);
        out.push_back({p->seed, p->poly.points(), p->extrusion.height});
        collect(*p, out);
    }
}

// The camera looks along +z at the square [0, 100]^2 from `distance` before it.
void frame(NullRenderContext& ctx, Desc& root) {
    ctx.beginFrame();
    root.render(ctx);
    ctx.endFrame();
}

}  // namespace

TEST(DescTraversal, NearNodesRefineAndFarNodesStayCoarse) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 1234, 2);
    ctx.lookAt({50, 2, -2000}, {50, 2, 50});
    frame(ctx, root);
    EXPECT_EQ(root.childCount(), 0);
    ASSERT_EQ(ctx.calls.size(), 1u);
    EXPECT_EQ(ctx.calls[0].op, "extrudedPolygon");
    EXPECT_EQ(ctx.calls[0].description, &root);

    ctx.lookAt({50, 2, -150}, {50, 2, 50});
    frame(ctx, root);
    EXPECT_EQ(root.childCount(), 4);
    EXPECT_EQ(root.countdown, Desc::kCountdownRefined);
}

TEST(DescTraversal, NodeOutsideTheFrustumLosesItsChildrenInTheSameFrame) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 99, 2);
    ctx.lookAt({50, 2, -150}, {50, 2, 50});
    frame(ctx, root);
    ASSERT_EQ(root.childCount(), 4);
    // Turn around: the town is now behind the camera.
    ctx.lookAt({50, 2, -150}, {50, 2, -400});
    ctx.calls.clear();
    frame(ctx, root);
    EXPECT_EQ(root.childCount(), 0);
    EXPECT_TRUE(ctx.calls.empty());
}

TEST(DescTraversal, CollapseCountdownKeepsChildrenForTheDrawnNumberOfCoarseFrames) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 7, 1);
    for (int round = 0; round < 5; ++round) {
        ctx.lookAt({50, 2, -150}, {50, 2, 50});
        frame(ctx, root);
        ASSERT_EQ(root.childCount(), 4);
        EXPECT_EQ(root.countdown, 250);
        // Far away but in view: coarse by size.
        ctx.lookAt({50, 2, -3000}, {50, 2, 50});
        frame(ctx, root);
        ASSERT_EQ(root.childCount(), 4);
        const int survive = root.countdown + 1;  // frames counted so far: 1
        EXPECT_GE(survive, 150);
        EXPECT_LE(survive, 248);
        for (int f = 1; f < survive; ++f) {
            frame(ctx, root);
            ASSERT_EQ(root.childCount(), 4) << "frame " << f;
        }
        EXPECT_EQ(root.countdown, 0);
        frame(ctx, root);
        EXPECT_EQ(root.childCount(), 0);
    }
}

TEST(DescTraversal, RefiningResetsTheCountdown) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 7, 1);
    ctx.lookAt({50, 2, -150}, {50, 2, 50});
    frame(ctx, root);
    ctx.lookAt({50, 2, -3000}, {50, 2, 50});
    for (int f = 0; f < 20; ++f)
        frame(ctx, root);
    EXPECT_LT(root.countdown, 250);
    ctx.lookAt({50, 2, -150}, {50, 2, 50});
    frame(ctx, root);
    EXPECT_EQ(root.countdown, 250);
    EXPECT_EQ(root.childCount(), 4);
}

TEST(DescTraversal, GenerateCollapseGenerateGivesIdenticalSubtrees) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 4242, 3);
    ctx.lookAt({50, 30, -60}, {50, 0, 50});
    for (int i = 0; i < 3; ++i)
        frame(ctx, root);
    std::vector<NodeRecord> first;
    collect(root, first);
    ASSERT_GT(first.size(), 4u);

    // Other generation in between must not matter.
    RandomGenerator::generation().seed(1);
    for (int i = 0; i < 17; ++i)
        RandomGenerator::generation().next();
    root.releaseChildren();
    EXPECT_EQ(root.childCount(), 0);
    for (int i = 0; i < 3; ++i)
        frame(ctx, root);
    std::vector<NodeRecord> second;
    collect(root, second);
    EXPECT_EQ(first, second);
}

TEST(DescTraversal, ChildrenAreSortedNearestFirstAtGeneration) {
    NullRenderContext ctx;
    QuadNode root(square(0, 0, 100), 5, 5, 1);
    // From the far corner (100, 100) looking back at the origin.
    ctx.lookAt({160, 2, 160}, {50, 2, 50});
    frame(ctx, root);
    ASSERT_EQ(root.childCount(), 4);
    for (int i = 1; i < 4; ++i)
        EXPECT_LE(root.children[i - 1]->depth, root.children[i]->depth);
    auto* nearest = dynamic_cast<DescPoly*>(root.children[0].get());
    EXPECT_FLOAT_EQ(nearest->poly[0].x, 50);
    EXPECT_FLOAT_EQ(nearest->poly[0].y, 50);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<Desc*>(root.children[i].get())->index, i);
}

TEST(DescTraversal, PlanesWhollyPassedAreNotTestedBelow) {
    // A child whose sphere lies behind the camera survives while its parent's
    // sphere lies wholly inside every plane (the planes are not asked again),
    // and is culled once the parent straddles the near plane.
    class Misplaced : public DescPoly {
    public:
        Misplaced() : DescPoly(square(0, 0, 10), 1, 1, nullptr) {}
        void generate() override {
            auto child = std::make_unique<QuadNode>(square(0, 0, 1), 1, 2, 1);
            child->centre = {0, 0, -500};  // far behind the eye
            addChild(std::move(child));
        }
    };
    NullRenderContext ctx;
    Misplaced root;
    ctx.lookAt({5, 0.5f, -20}, {5, 0.5f, 5});
    frame(ctx, root);
    ASSERT_EQ(root.childCount(), 1);
    auto* child = static_cast<Desc*>(root.children[0].get());
    EXPECT_EQ(child->childCount(), 4);
    EXPECT_EQ(ctx.planeMask, 63u);  // restored after the traversal

    ctx.lookAt({5, 0.5f, 2}, {5, 0.5f, 50});
    frame(ctx, root);
    ASSERT_EQ(root.childCount(), 1);
    EXPECT_EQ(child->childCount(), 0);
}

// A typology that cuts itself into `pieces` slivers.
class SliverNode : public DescPoly {
public:
    SliverNode(int pieces) : DescPoly(square(0, 0, 100), 5, 7, nullptr), pieces_(pieces) {}
    void generate() override {
        ++generations;
        for (int i = 0; i < pieces_; ++i)
            addChild(std::make_unique<QuadNode>(square(i * 0.1f, 0, 0.1f), 1, i, 0));
    }
    int generations = 0;

private:
    int pieces_;
};

TEST(DescTree, TheChildAfterTheLastAllowedLeavesTheDescriptionCoarse) {
    QuadNode root(square(0, 0, 100), 5, 1, 0);
    for (int i = 0; i < Desc::kMaxChildren; ++i)
        root.addChild(std::make_unique<QuadNode>(square(0, 0, 1), 1, i, 0));
    EXPECT_EQ(root.childCount(), 256);
    EXPECT_EQ(static_cast<Desc*>(root.children[255].get())->index, 255);
    EXPECT_FALSE(root.tooManyChildren());
    EXPECT_EQ(root.addChild(std::make_unique<QuadNode>(square(0, 0, 1), 1, 0, 0)), nullptr);
    EXPECT_EQ(root.childCount(), 256);
    EXPECT_TRUE(root.tooManyChildren());

    // A generation of 300 pieces keeps none, draws its own shape, and is not
    // tried again every frame; 256 pieces are fine.
    NullRenderContext ctx;
    ctx.lookAt({50, 2, -20}, {50, 2, 50});
    SliverNode over(300), full(256);
    for (int f = 0; f < 3; ++f) {
        frame(ctx, over);
        frame(ctx, full);
    }
    EXPECT_TRUE(over.tooManyChildren());
    EXPECT_EQ(over.childCount(), 0);
    EXPECT_EQ(over.generations, 1);
    int ownShapes = 0;
    for (const auto& call : ctx.calls)
        ownShapes += call.description == &over && call.op == "extrudedPolygon";
    EXPECT_GE(ownShapes, 1);
    EXPECT_FALSE(full.tooManyChildren());
    EXPECT_EQ(full.childCount(), 256);
    // Released (a changed parameter, the view left), it is tried afresh.
    over.releaseChildren();
    EXPECT_FALSE(over.tooManyChildren());
    over.refine(Matrix44::identity());
    EXPECT_EQ(over.generations, 2);
    EXPECT_TRUE(over.tooManyChildren());
}

TEST(DescTree, BoundsAndContainment) {
    DescPoly d(square(0, 0, 10), -4, 1, nullptr);
    EXPECT_FLOAT_EQ(d.extrusion.level, -4);
    EXPECT_FLOAT_EQ(d.extrusion.height, 4);
    EXPECT_FLOAT_EQ(d.centre.x, 5);
    EXPECT_FLOAT_EQ(d.centre.y, -2);
    EXPECT_FLOAT_EQ(d.centre.z, 5);
    EXPECT_FLOAT_EQ(d.radius, 0.5f * std::sqrt(100.0f + 16.0f + 100.0f));
    EXPECT_TRUE(d.containsPoint({5, -4, 5}));
    EXPECT_FALSE(d.containsPoint({5, 0, 5}));  // top is open
    EXPECT_FALSE(d.containsPoint({11, -2, 5}));
}

TEST(DescTree, CollisionIsAskedOfTheChildrenDownToSolidOnes) {
    // A solid node answers as its prism whether or not it has children.
    class Solid : public DescPoly {
    public:
        Solid(const Poly& p) : DescPoly(p, 3, 1, nullptr) {}
        bool collides(const Vector& from, const Vector& to) const override { return collidesSelf(from, to); }
    };
    QuadNode root(square(0, 0, 100), 5, 1, 0);
    EXPECT_FALSE(root.collides({0, 0, 0}, {75, 0.5f, 75}));  // no children, nothing solid
    root.addChild(std::make_unique<QuadNode>(square(0, 0, 50), 5, 2, 0));
    root.addChild(std::make_unique<Solid>(square(50, 50, 50)));
    EXPECT_TRUE(root.collides({0, 0, 0}, {75, 0.5f, 75}));
    EXPECT_FALSE(root.collides({0, 0, 0}, {75, 3.5f, 75}));  // above the prism
    EXPECT_FALSE(root.collides({0, 0, 0}, {25, 0.5f, 25}));  // a description that is not solid
}

TEST(DescTree, LiveCountFollowsGenerationAndRelease) {
    const long before = Desc::liveCount;
    {
        QuadNode root(square(0, 0, 100), 5, 1, 2);
        NullRenderContext ctx;
        ctx.lookAt({50, 30, -60}, {50, 0, 50});
        frame(ctx, root);
        EXPECT_GT(Desc::liveCount, before + 1);
        root.releaseChildren();
        EXPECT_EQ(Desc::liveCount, before + 1);
    }
    EXPECT_EQ(Desc::liveCount, before);
}

namespace {

// Calls of the section with this key directly below the top-level "Render" section.
long callsInFrame(uint32_t key) {
    for (const Profiler::Section* r = Profiler::instance().root().firstChild.get(); r; r = r->next.get())
        if (r->key == profile::kRender)
            for (const Profiler::Section* s = r->firstChild.get(); s; s = s->next.get())
                if (s->key == key)
                    return s->calls;
    return 0;
}

// One frame inside a "Render" section, after a timer reset.
void timedFrame(NullRenderContext& ctx, Desc& root) {
    Profiler::instance().resetFrame();
    ProfileScope timing(profile::kRender, "Render");
    frame(ctx, root);
}

}  // namespace

TEST(DescTree, TheTimerSeesGenerationAndRecordingWhenTheyHappen) {
    QuadNode root(square(0, 0, 100), 5, 77, 1);
    NullRenderContext ctx;
    // Far: the coarse shape is recorded once, then replayed.
    ctx.lookAt({50, 2, -2000}, {50, 2, 50});
    timedFrame(ctx, root);
    EXPECT_EQ(callsInFrame(profile::kGenerate), 0);
    EXPECT_EQ(callsInFrame(profile::kRecord), 1);
    timedFrame(ctx, root);
    EXPECT_EQ(callsInFrame(profile::kRecord), 0);
    EXPECT_EQ(ctx.replayed, 1);

    // Nearer: the root makes its children, which stay coarse and record their shapes.
    ctx.lookAt({50, 2, -650}, {50, 2, 50});
    ctx.calls.clear();
    timedFrame(ctx, root);
    ASSERT_EQ(root.childCount(), 4);
    EXPECT_EQ(callsInFrame(profile::kGenerate), 1);
    EXPECT_EQ(callsInFrame(profile::kRecord), 4);
    EXPECT_EQ(ctx.calls.size(), 4u);
    EXPECT_EQ(Profiler::instance().current(), &Profiler::instance().root());
}

TEST(RenderContextTest, ThresholdFollowsDetailWidthAndProjection) {
    NullRenderContext ctx(500, 400);
    EXPECT_NEAR(ctx.projection.m[0], 2.4142137f, 1e-5);
    EXPECT_NEAR(ctx.lodThreshold, 40.0f / (0.4f * 500 * 2.4142137f), 1e-6);
    EXPECT_NEAR(ctx.lodThreshold, 0.0828f, 1e-4);
    ctx.setDetail(0.8f);
    EXPECT_NEAR(ctx.lodThreshold, 0.0414f, 1e-4);
    EXPECT_NEAR(ctx.farDistance(), 10000, 2);  // single precision
    EXPECT_NEAR(ctx.nearDistance(), 1, 1e-4);
}

TEST(RenderContextTest, CameraPositionAndText) {
    NullRenderContext ctx(500, 400, 10001);
    ctx.lookAt({1, 2, 3}, {1, 2, 100});
    EXPECT_NEAR(ctx.cameraPosition.x, 1, 1e-4);
    EXPECT_NEAR(ctx.cameraPosition.y, 2, 1e-4);
    EXPECT_NEAR(ctx.cameraPosition.z, 3, 1e-4);
    float e[3], t[3], u[3], detail;
    ASSERT_EQ(std::sscanf(ctx.cameraText(), "(%f,%f,%f)(%f,%f,%f)(%f,%f,%f) x%f", &e[0], &e[1], &e[2], &t[0], &t[1],
                          &t[2], &u[0], &u[1], &u[2], &detail),
              10);
    EXPECT_EQ(std::string(ctx.cameraText()).substr(0, 16), "(1.00,2.00,3.00)");
    EXPECT_FLOAT_EQ(t[0], 1);
    EXPECT_FLOAT_EQ(t[1], 2);
    EXPECT_NEAR(t[2], 3 + 10001, 3);  // the target lies at the far distance
    EXPECT_FLOAT_EQ(u[1], 1);
    EXPECT_FLOAT_EQ(detail, 0.4f);
}
