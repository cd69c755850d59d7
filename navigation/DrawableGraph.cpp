#include "navigation/DrawableGraph.h"

#include "core/Graph.h"
#include "core/RenderContext.h"

const ClassName DrawableGraph::kClassName{"DrawableGraph"};

DrawableGraph::DrawableGraph(const Graph& graph) : Drawable(0, nullptr), graph_(graph) {}

void DrawableGraph::render(RenderContext& ctx) { draw(ctx); }

void DrawableGraph::draw(RenderContext& ctx) {
    if (ctx.graphDisplay)
        ctx.drawGraph(graph_);
}

void DrawableGraph::computeDepth(const Matrix44&) { depth = 1e30f; }

const ClassName& DrawableGraph::className() const { return kClassName; }
