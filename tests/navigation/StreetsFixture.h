#pragma once
// A hand-made street network for the walker tests. Header only.
#include <vector>

#include "core/Drawable.h"
#include "core/Graph.h"
#include "core/Vector.h"

// A root that owns one street patch and, optionally, blocks moves.
class Streets : public Drawable {
public:
    Streets() : Drawable(0, nullptr) {}
    void draw(RenderContext&) override {}
    Graph* navigationPatch() override { return &graph; }
    bool collides(const Vector& from, const Vector& to) const override {
        if (blocking)
            ++blockedTests;
        return blocking && blocking(from, to);
    }

    // Nodes at the given (x, z) points on flat ground, joined in a chain.
    std::vector<GraphNode*> chain(const std::vector<Vec2>& points) {
        std::vector<GraphNode*> nodes;
        for (const Vec2& p : points) {
            nodes.push_back(graph.addNode(Vector(p.x, 0, p.y), false));
            if (nodes.size() > 1)
                addEdge(nodes[nodes.size() - 2], nodes.back());
        }
        return nodes;
    }

    Graph graph;
    bool (*blocking)(const Vector&, const Vector&) = nullptr;
    mutable int blockedTests = 0;
};

// Equally spaced nodes along x, 10 m apart.
inline std::vector<Vec2> straightStreet(int n) {
    std::vector<Vec2> points;
    for (int i = 0; i < n; ++i)
        points.push_back({10.0f * static_cast<float>(i), 0});
    return points;
}

