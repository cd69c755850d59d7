#pragma once
// Shows one navigation patch while the renderer's graph display is on. It is
// drawn anew every frame (line lists are not recorded into display lists) and
// sorts after every other child of its description.
#include "core/Drawable.h"

class Graph;

class DrawableGraph : public Drawable {
public:
    // graph: not owned; the patch of the description this drawable is a child of.
    // Seed 0 and an unbound material.
    explicit DrawableGraph(const Graph& graph);

    // Draws directly, bypassing the display-list cache.
    void render(RenderContext& ctx) override;
    // The renderer's drawGraph when ctx.graphDisplay is set, else nothing.
    void draw(RenderContext& ctx) override;
    // Depth 1e30: after every other child in the nearest-first order.
    void computeDepth(const Matrix44& modelView) override;
    const ClassName& className() const override;

    const Graph& graph() const { return graph_; }

    static const ClassName kClassName;

private:
    const Graph& graph_;  // not owned
};
