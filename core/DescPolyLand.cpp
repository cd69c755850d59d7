#include "core/DescPolyLand.h"

#include <cmath>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"

const ClassName DescPolyLand::kClassName{"DescPolyLand"};

DescPolyLand::DescPolyLand(const Poly& poly_, float overHeight_, const Terrain* terrain_, uint32_t seed_,
                           const char* materialName, std::vector<GraphNode*> nodes)
    : DescPoly(poly_, overHeight_, seed_, materialName), terrain(terrain_), overHeight(overHeight_),
      pointNodes(std::move(nodes)) {
    fitToTerrain();
}

const ClassName& DescPolyLand::className() const { return kClassName; }

void DescPolyLand::declareParameters(ParameterList& list) {
    list.addHeading("DescPolyLand");
    // Below a storey the urban blocks under it have no height to draw from.
    list.addFloat("Over height", &overHeight, {5.0, 1000.0});
    DescPoly::declareParameters(list);
}

void DescPolyLand::fitToTerrain() {
    if (!terrain)
        return;
    float low = 0, high = 0;
    if (!terrain->range(poly, low, high))
        return;
    extrusion.level = low;
    extrusion.height = high + overHeight - low;
    centre.y = (low + high + overHeight) * 0.5f;
    // The sphere was made for a prism of the over height alone; trade that
    // vertical half-extent for the new one.
    const float halfOver = overHeight * 0.5f;
    const float halfHeight = extrusion.height * 0.5f;
    const float squared = radius * radius - halfOver * halfOver + halfHeight * halfHeight;
    radius = std::sqrt(squared > 0.0f ? squared : 0.0f);
}

void DescPolyLand::drawOwnShape(RenderContext& ctx) {
    if (!terrain) {
        DescPoly::drawOwnShape(ctx);
        return;
    }
    ctx.terrainPolygon(poly, terrain, kSkirtDepth, material.get());
}

void DescPolyLand::childrenReleased() { graph.clear(); }

float DescPolyLand::slope() const {
    const float area = poly.area();
    if (area <= 0.0f)
        return 0.0f;
    return (extrusion.height - overHeight) / std::sqrt(area) * 100.0f;
}

void addPath(Graph& graph, DescPolyLand& owner, const std::vector<Point>& line, std::vector<GraphNode*>& nodes,
             GraphNode* start, GraphNode* end) {
    const int n = static_cast<int>(line.size());
    CALLI_ASSERT(n >= 2);
    nodes.assign(n, nullptr);
    nodes[0] = start;
    GraphNode* from = start;
    for (int i = 0; i <= n - 2; ++i) {
        GraphNode* to = i == n - 2 ? end : graph.addNode(line[i + 1].vec(), owner, false);
        addEdge(from, to);
        nodes[i + 1] = to;
        from = to;
    }
}

void removePath(Graph& graph, const std::vector<GraphNode*>& nodes) {
    const int n = static_cast<int>(nodes.size());
    CALLI_ASSERT(n >= 2);
    removeEdge(nodes[0], nodes[1]);
    if (n > 2)
        removeEdge(nodes[n - 2], nodes[n - 1]);
    graph.removeLastNodes(n - 2);
}

void linkCutLine(Graph& graph, DescPolyLand& owner, const std::vector<Point>& line, std::vector<GraphNode*>& nodes,
                 GraphNode* startNode, GraphNode* endNode, bool linked) {
    const int n = static_cast<int>(line.size());
    CALLI_ASSERT(n >= 2);
    nodes.assign(n, nullptr);
    nodes[0] = startNode;
    for (int i = 1; i < n - 1; ++i)
        nodes[i] = graph.addNode(line[i].vec(), owner, false);
    nodes[n - 1] = endNode;
    if (linked)
        for (int i = 0; i + 1 < n; ++i)
            addEdge(nodes[i], nodes[i + 1]);
}
