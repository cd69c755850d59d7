#include "core/Graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/NullRenderContext.h"
#include "core/Poly.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "navigation/DrawableGraph.h"

namespace {

Poly square(float side) { return Poly({{0, 0, 0}, {0, side, 0}, {side, side, 0}, {side, 0, 0}}); }

std::vector<Point> line(int n) {
    std::vector<Point> points;
    for (int i = 0; i < n; ++i)
        points.push_back({10.0f * i, 3.0f * i, 0});
    return points;
}

int occurrences(const GraphNode* in, const GraphNode* of) {
    return static_cast<int>(std::count(in->neighbours.begin(), in->neighbours.end(), of));
}

// Every neighbour of every live node is itself live, and every edge is
// recorded the same number of times at both ends.
void expectConsistent(const std::vector<const Graph*>& graphs) {
    std::set<const GraphNode*> live;
    for (const Graph* g : graphs)
        for (const auto& n : g->nodes())
            live.insert(n.get());
    for (const GraphNode* n : live)
        for (const GraphNode* m : n->neighbours) {
            ASSERT_TRUE(live.count(m)) << "a neighbour list refers to a deleted node";
            ASSERT_EQ(occurrences(n, m), occurrences(m, n)) << "edges are symmetric";
        }
}

template <class F>
void expectAssert(F f, const char* source) {
    try {
        f();
        ADD_FAILURE() << "no assertion";
    } catch (const AssertException& e) {
        EXPECT_EQ(e.source(), source);
    }
}

}  // namespace

// ---- edges ----

TEST(GraphEdges, AddTwiceThenRemoveOnceClearsBoth) {
    Graph g;
    GraphNode* a = g.addNode(Vector{0, 0, 0}, false);
    GraphNode* b = g.addNode(Vector{1, 0, 0}, false);
    addEdge(a, b);
    addEdge(a, b);
    EXPECT_EQ(occurrences(a, b), 2);
    EXPECT_EQ(occurrences(b, a), 2);
    removeEdge(a, b);
    EXPECT_TRUE(a->neighbours.empty());
    EXPECT_TRUE(b->neighbours.empty());
}

TEST(GraphEdges, RemovalKeepsTheOrderOfTheOthers) {
    Graph g;
    GraphNode* a = g.addNode(Vector{0, 0, 0}, false);
    GraphNode* b = g.addNode(Vector{1, 0, 0}, false);
    GraphNode* c = g.addNode(Vector{2, 0, 0}, false);
    GraphNode* d = g.addNode(Vector{3, 0, 0}, false);
    addEdge(a, b);
    addEdge(a, c);
    addEdge(a, b);
    addEdge(a, d);
    removeEdge(a, b);
    EXPECT_EQ(a->neighbours, (std::vector<GraphNode*>{c, d}));
    EXPECT_EQ(c->neighbours, (std::vector<GraphNode*>{a}));
}

TEST(GraphEdges, DetachLeavesTheNodesOwnList) {
    Graph g;
    GraphNode* a = g.addNode(Vector{0, 0, 0}, false);
    GraphNode* b = g.addNode(Vector{1, 0, 0}, false);
    GraphNode* c = g.addNode(Vector{2, 0, 0}, false);
    addEdge(a, b);
    addEdge(a, c);
    addEdge(b, c);
    detachNode(a);
    EXPECT_EQ(a->neighbours, (std::vector<GraphNode*>{b, c}));
    EXPECT_EQ(b->neighbours, (std::vector<GraphNode*>{c}));
    EXPECT_EQ(c->neighbours, (std::vector<GraphNode*>{b}));
}

// ---- nodes ----

TEST(GraphNodes, MergeFindsANodeWithinTolerance) {
    Graph g;
    GraphNode* a = g.addNode(Vector{10, 2, 30}, true);
    EXPECT_EQ(a->merge, 1);
    EXPECT_EQ(g.addNode(Vector{10.00005f, 2, 30}, true), a);
    EXPECT_EQ(g.addNode(Vector{10, 2.00005f, 29.99995f}, true), a);
    EXPECT_EQ(g.count(), 1);
    GraphNode* far = g.addNode(Vector{10.0002f, 2, 30}, true);
    EXPECT_NE(far, a);
    GraphNode* unmerged = g.addNode(Vector{10, 2, 30}, false);
    EXPECT_NE(unmerged, a);
    EXPECT_EQ(unmerged->merge, 0);
    EXPECT_EQ(g.count(), 3);
    // The first node in creation order wins.
    EXPECT_EQ(g.addNode(Vector{10, 2, 30}, true), a);
}

TEST(GraphNodes, PlacedOnTheOwnersTerrain) {
    NoiseSource noise;
    noise.height = 70;
    noise.roughness = 0.5f;
    noise.initNoise(2, 9236);
    const Terrain terrain(&noise, Matrix44::translation(1000, 0, 500));
    DescPolyLand owner(square(100), 10, &terrain, 1, nullptr);
    GraphNode* n = owner.graph.addNode(Vec2{12, 34}, owner, false);
    EXPECT_FLOAT_EQ(n->position.x, 1012);
    EXPECT_FLOAT_EQ(n->position.z, 534);
    EXPECT_EQ(n->position.y, terrain.height(12, 34));

    DescPolyLand flat(square(100), 10, nullptr, 1, nullptr);
    GraphNode* m = addNode(flat.graph, Vec2{12, 34}, flat, false);
    EXPECT_EQ(m->position, (Vector{12, 0, 34}));
}

TEST(GraphNodes, RemoveLastNodesChecksItsCount) {
    Graph g;
    g.removeLastNodes(0);  // an empty graph allows k = 0
    expectAssert([&] { g.removeLastNodes(1); }, "core/Graph");
    GraphNode* a = g.addNode(Vector{0, 0, 0}, false);
    GraphNode* b = g.addNode(Vector{1, 0, 0}, false);
    g.addNode(Vector{2, 0, 0}, false);
    expectAssert([&] { g.removeLastNodes(-1); }, "core/Graph");
    expectAssert([&] { g.removeLastNodes(4); }, "core/Graph");
    EXPECT_EQ(g.count(), 3);
    g.removeLastNodes(0);
    EXPECT_EQ(g.count(), 3);
    g.removeLastNodes(1);
    ASSERT_EQ(g.count(), 2);
    EXPECT_EQ(g.node(0), a);
    EXPECT_EQ(g.node(1), b);
    removeLastNodes(g, 2);
    EXPECT_TRUE(g.empty());
}

TEST(GraphNodes, ClearDetachesFromOtherPatches) {
    Graph outer;
    GraphNode* o = outer.addNode(Vector{0, 0, 0}, false);
    {
        Graph inner;
        GraphNode* a = inner.addNode(Vector{1, 0, 0}, false);
        GraphNode* b = inner.addNode(Vector{2, 0, 0}, false);
        addEdge(o, a);
        addEdge(a, b);
        addEdge(b, o);
        clear(inner);
        EXPECT_TRUE(inner.empty());
        EXPECT_TRUE(o->neighbours.empty());
        inner.addNode(Vector{3, 0, 0}, false);
        addEdge(o, inner.node(0));
    }  // destroyed while linked
    EXPECT_TRUE(o->neighbours.empty());
}

// ---- paths ----

TEST(GraphPaths, TwoPointPathMakesOneEdgeAndNoNode) {
    DescPolyLand owner(square(100), 10, nullptr, 1, nullptr);
    Graph outer;
    GraphNode* s = outer.addNode(Vector{0, 0, 0}, false);
    GraphNode* e = outer.addNode(Vector{50, 0, 0}, false);
    std::vector<GraphNode*> nodes;
    addPath(owner.graph, owner, line(2), nodes, s, e);
    EXPECT_EQ(owner.graph.count(), 0);
    EXPECT_EQ(nodes, (std::vector<GraphNode*>{s, e}));
    EXPECT_EQ(s->neighbours, (std::vector<GraphNode*>{e}));
    EXPECT_EQ(e->neighbours, (std::vector<GraphNode*>{s}));
    removePath(owner.graph, nodes);
    EXPECT_TRUE(s->neighbours.empty());
    EXPECT_TRUE(e->neighbours.empty());
}

TEST(GraphPaths, PathChainsNewNodesAndRemovalUndoesIt) {
    DescPolyLand owner(square(100), 10, nullptr, 1, nullptr);
    Graph outer;
    GraphNode* s = outer.addNode(Vector{0, 0, 0}, false);
    GraphNode* e = outer.addNode(Vector{50, 0, 15}, false);
    GraphNode* earlier = owner.graph.addNode(Vector{7, 7, 7}, false);
    std::vector<GraphNode*> nodes;
    const std::vector<Point> points = line(5);
    addPath(owner.graph, owner, points, nodes, s, e);
    ASSERT_EQ(owner.graph.count(), 4);
    ASSERT_EQ(nodes.size(), 5u);
    EXPECT_EQ(nodes.front(), s);
    EXPECT_EQ(nodes.back(), e);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(nodes[i], owner.graph.node(i)) << "inner nodes made in point order";
        EXPECT_EQ(nodes[i]->position, (Vector{points[i].x, 0, points[i].y}));
        EXPECT_EQ(nodes[i]->neighbours, (std::vector<GraphNode*>{nodes[i - 1], nodes[i + 1]}));
    }
    EXPECT_EQ(s->neighbours, (std::vector<GraphNode*>{nodes[1]}));
    EXPECT_EQ(e->neighbours, (std::vector<GraphNode*>{nodes[3]}));
    removePath(owner.graph, nodes);
    EXPECT_EQ(owner.graph.count(), 1);
    EXPECT_EQ(owner.graph.node(0), earlier);
    EXPECT_TRUE(s->neighbours.empty());
    EXPECT_TRUE(e->neighbours.empty());
    expectConsistent({&outer, &owner.graph});
}

TEST(GraphPaths, ShortLinesAssert) {
    DescPolyLand owner(square(100), 10, nullptr, 1, nullptr);
    std::vector<GraphNode*> nodes;
    expectAssert([&] { addPath(owner.graph, owner, line(1), nodes, nullptr, nullptr); }, "core/DescPolyLand");
    expectAssert([&] { removePath(owner.graph, std::vector<GraphNode*>(1, nullptr)); }, "core/DescPolyLand");
    expectAssert([&] { linkCutLine(owner.graph, owner, line(1), nodes, nullptr, nullptr, true); },
                 "core/DescPolyLand");
}

TEST(GraphPaths, CutLineLinksOnlyStreets) {
    DescPolyLand owner(square(100), 10, nullptr, 1, nullptr);
    Graph outer;
    GraphNode* s = outer.addNode(Vector{0, 0, 0}, false);
    GraphNode* e = outer.addNode(Vector{40, 0, 12}, false);
    std::vector<GraphNode*> nodes;
    linkCutLine(owner.graph, owner, line(5), nodes, s, e, false);
    EXPECT_EQ(owner.graph.count(), 3);
    for (const auto& n : owner.graph.nodes())
        EXPECT_TRUE(n->neighbours.empty());
    EXPECT_TRUE(s->neighbours.empty());
    removePath(owner.graph, nodes);
    EXPECT_EQ(owner.graph.count(), 0);

    linkCutLine(owner.graph, owner, line(4), nodes, s, e, true);
    EXPECT_EQ(s->neighbours, (std::vector<GraphNode*>{nodes[1]}));
    EXPECT_EQ(nodes[2]->neighbours, (std::vector<GraphNode*>{nodes[1], e}));
    removePath(owner.graph, nodes);
    EXPECT_TRUE(s->neighbours.empty());
    EXPECT_TRUE(e->neighbours.empty());
    expectConsistent({&outer, &owner.graph});
}

// Random hand-overs and withdrawals across three levels of patches, with
// releases and destruction in between: no neighbour list may keep a deleted
// node. Run under the sanitizer build as well.
TEST(GraphPaths, NoDanglingNeighboursAfterRandomSequences) {
    RandomGenerator random(1234);
    for (int round = 0; round < 40; ++round) {
        auto root = std::make_unique<DescPolyLand>(square(1000), 10, nullptr, 1, nullptr);
        auto middle = std::make_unique<DescPolyLand>(square(500), 10, nullptr, 2, nullptr);
        auto leaf = std::make_unique<DescPolyLand>(square(100), 10, nullptr, 3, nullptr);
        for (int i = 0; i < 8; ++i)
            root->graph.addNode(Vector{100.0f * i, 0, 0}, false);
        std::vector<DescPolyLand*> levels{root.get(), middle.get(), leaf.get()};
        // Paths still handed over, per level, most recent last.
        std::vector<std::vector<std::vector<GraphNode*>>> laid(3);

        auto anyNode = [&](int upTo) -> GraphNode* {
            std::vector<GraphNode*> all;
            for (int l = 0; l <= upTo; ++l)
                for (const auto& n : levels[l]->graph.nodes())
                    all.push_back(n.get());
            return all[static_cast<size_t>(random.uniform() * all.size())];
        };

        for (int step = 0; step < 60; ++step) {
            const int level = 1 + static_cast<int>(random.uniform() * 2);
            DescPolyLand& owner = *levels[level];
            const int action = static_cast<int>(random.uniform() * 10);
            // A description generates only while it has no children: the
            // levels below go first.
            for (int l = 2; l > level; --l) {
                levels[l]->childrenReleased();
                laid[l].clear();
            }
            if (action < 6) {
                std::vector<GraphNode*> nodes;
                const int points = 2 + static_cast<int>(random.uniform() * 5);
                GraphNode* from = anyNode(level - 1);
                GraphNode* to = anyNode(level - 1);
                if (random.uniform() < 0.5)
                    addPath(owner.graph, owner, line(points), nodes, from, to);
                else
                    linkCutLine(owner.graph, owner, line(points), nodes, from, to, random.uniform() < 0.5);
                laid[level].push_back(nodes);
            } else if (action < 8) {
                if (!laid[level].empty()) {
                    removePath(owner.graph, laid[level].back());
                    laid[level].pop_back();
                }
            } else {
                // Release: the level's children go first, then its own nodes.
                for (int l = 2; l >= level; --l) {
                    levels[l]->childrenReleased();
                    laid[l].clear();
                }
            }
            expectConsistent({&root->graph, &middle->graph, &leaf->graph});
            if (HasFatalFailure())
                return;
        }
        // Destruction bottom-up or top-down must leave no dangling entry either.
        if (round % 2 == 0) {
            leaf.reset();
            expectConsistent({&root->graph, &middle->graph});
            middle.reset();
            expectConsistent({&root->graph});
        } else {
            root.reset();
            expectConsistent({&middle->graph, &leaf->graph});
            middle.reset();
            expectConsistent({&leaf->graph});
        }
    }
}

// ---- drawable ----

TEST(DrawableGraph, DrawsOnlyWithTheGraphDisplayAndEveryFrame) {
    Graph g;
    DrawableGraph drawable(g);
    NullRenderContext ctx;
    ctx.graphDisplay = 0;
    drawable.render(ctx);
    EXPECT_TRUE(ctx.calls.empty());
    ctx.graphDisplay = 1;
    drawable.render(ctx);
    drawable.render(ctx);
    ASSERT_EQ(ctx.calls.size(), 2u) << "no display-list caching";
    EXPECT_EQ(ctx.calls[0].op, "drawGraph");
    EXPECT_EQ(drawable.renderHandle, nullptr);
    EXPECT_EQ(&drawable.graph(), &g);
    EXPECT_STREQ(drawable.className().name, "DrawableGraph");
    EXPECT_EQ(drawable.seed, 0u);
}

TEST(DrawableGraph, SortsAfterEverything) {
    Graph g;
    DrawableGraph drawable(g);
    drawable.computeDepth(Matrix44::identity());
    EXPECT_EQ(drawable.depth, 1e30f);
}
