#pragma once
// A piece of land: a DescPoly whose base and height follow the terrain under
// its polygon (the lowest vertex height to the highest plus the over height),
// drawn as a terrain polygon. The urban typologies derive from it; each owns a
// navigation patch (Graph) that holds the street nodes its generation made.
#include <cstdint>
#include <vector>

#include "core/Desc.h"
#include "core/Graph.h"

class Terrain;
struct Point;

class DescPolyLand : public DescPoly {
public:
    // Depth of the skirt that terrain polygons hang below the ground (metres).
    static constexpr float kSkirtDepth = -20.0f;

    // The polygon in the terrain's plane coordinates; overHeight in metres
    // above the highest ground point. terrain: not owned, may be null (the
    // extrusion then stays at level 0 and height overHeight). nodes: the
    // parent's navigation nodes at each polygon point (not owned), or empty.
    DescPolyLand(const Poly& poly, float overHeight, const Terrain* terrain, uint32_t seed,
                 const char* materialName, std::vector<GraphNode*> nodes = {});

    const ClassName& className() const override;
    // Heading "DescPolyLand", float "Over height", then DescPoly's entries.
    void declareParameters(ParameterList& list) override;
    Graph* navigationPatch() override { return &graph; }
    // With a terrain: level := lowest vertex height, height := highest - lowest
    // + over height, centre and radius follow. Without: nothing.
    void fitToTerrain() override;
    // The renderer's terrain polygon; without a terrain, the plain extrusion.
    void drawOwnShape(RenderContext& ctx) override;
    // Detaches and deletes the nodes of this description's own patch.
    void childrenReleased() override;

    // Terrain height range across the polygon as a percentage of its size:
    // (extrusion height - over height) / sqrt(area) * 100.
    float slope() const;

    const Terrain* terrain = nullptr;  // not owned: the region's or the town's land
    float overHeight = 0;              // "Over height", metres
    Graph graph;                       // owned nodes: the streets this description laid
    std::vector<GraphNode*> pointNodes;  // not owned: the parent's node at each point, or empty

    static const ClassName kClassName;
};

// Street and cut lines hand their points to the navigation patch. A line is
// given as its points and a parallel node array that these calls fill or read
// (LandPoly in typology/ has both).

// Joins start to end through one new node per inner point (made in point
// order, no merging), consecutive nodes linked; nodes becomes
// (start, new nodes..., end). Asserts a line of at least 2 points.
void addPath(Graph& graph, DescPolyLand& owner, const std::vector<Point>& line, std::vector<GraphNode*>& nodes,
             GraphNode* start, GraphNode* end);
// Withdraws a path that addPath or linkCutLine laid: unlinks both ends and
// deletes the inner nodes, which must be the last ones added to graph.
// Asserts at least 2 recorded nodes.
void removePath(Graph& graph, const std::vector<GraphNode*>& nodes);
// Gives a straight cut line its nodes: first startNode, last endNode, a new
// node for every other point (point order, no merging). Consecutive nodes are
// linked only when linked is set (streets; dividing lines stay unlinked).
// Asserts a line of at least 2 points.
void linkCutLine(Graph& graph, DescPolyLand& owner, const std::vector<Point>& line, std::vector<GraphNode*>& nodes,
                 GraphNode* startNode, GraphNode* endNode, bool linked);
