#pragma once
// The walkable street network: an undirected graph of points on the terrain,
// grown in patches. Every street-laying land description owns one Graph (its
// navigation patch) holding the nodes it made; edges are symmetric pairs of
// neighbour entries and may join nodes of different patches. The network is
// walked by following neighbours. Before a node is deleted it must be detached
// (or its edges removed), so that no neighbour list keeps a dangling pointer.
//
// Part of core, since land descriptions embed their patch.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/GraphNodeWatcher.h"
#include "core/Vector.h"

class DescPolyLand;

struct GraphNode {
    GraphNode() = default;
    // Tells every watcher that the node goes, in the order they started watching.
    ~GraphNode();
    GraphNode(const GraphNode&) = delete;
    GraphNode& operator=(const GraphNode&) = delete;

    // Starts or stops telling w when this node is deleted; each watcher appears
    // once however often it asks. Nothing for null.
    void watch(GraphNodeWatcher* w);
    void unwatch(GraphNodeWatcher* w);
    int watcherCount() const { return static_cast<int>(watchers.size()); }

    Vector position;  // world position; y is the terrain height at the point
    uint8_t merge = 0;  // the merge argument it was created with
    // One entry per edge end, duplicates allowed (an edge added twice appears twice).
    std::vector<GraphNode*> neighbours;  // not owned

private:
    // Walkers holding this node: a node may go while one stands on it (its
    // owner collapses under a walking agent).
    std::vector<GraphNodeWatcher*> watchers;  // not owned
};

// Appends b to a's neighbours and a to b's. Nothing when either is null.
void addEdge(GraphNode* a, GraphNode* b);
// Removes every b from a's neighbours and every a from b's, keeping the order
// of the others. Nothing when either is null.
void removeEdge(GraphNode* a, GraphNode* b);
// Removes n from the neighbour list of each of its neighbours; n's own list is
// left as it is. Nothing for null.
void detachNode(GraphNode* n);

class Graph {
public:
    // Merging finds an existing node within this distance on every axis (metres).
    static constexpr float kMergeTolerance = 0.0001f;

    Graph() = default;
    ~Graph() { clear(); }
    Graph(const Graph&) = delete;
    Graph& operator=(const Graph&) = delete;

    // A node at the polygon-plane point of owner: world x and z through the
    // owner's terrain placement, y the terrain height there (owner without
    // terrain: x and z as given, y its extrusion level). With merge, the first
    // node (creation order) within kMergeTolerance on all three axes is
    // returned instead of a new one. The graph owns the node.
    GraphNode* addNode(const Vec2& point, const DescPolyLand& owner, bool merge);
    // Same with a world position given directly.
    GraphNode* addNode(const Vector& position, bool merge);

    // Deletes the last k nodes (asserts 0 <= k <= count()), detaching them
    // from their neighbours first.
    void removeLastNodes(int k);
    // Detaches every node from its neighbours, deletes it, empties the graph.
    void clear();

    int count() const { return static_cast<int>(nodes_.size()); }
    bool empty() const { return nodes_.empty(); }
    GraphNode* node(int i) const { return nodes_[i].get(); }
    // In creation order; the addresses stay valid until the node is deleted.
    const std::vector<std::unique_ptr<GraphNode>>& nodes() const { return nodes_; }
    // Index of n in this graph, or -1.
    int indexOf(const GraphNode* n) const;

private:
    std::vector<std::unique_ptr<GraphNode>> nodes_;  // owned
};

// Call forms of the street-laying code.
inline GraphNode* addNode(Graph& graph, const Vec2& point, const DescPolyLand& owner, bool merge) {
    return graph.addNode(point, owner, merge);
}
inline void removeLastNodes(Graph& graph, int k) { graph.removeLastNodes(k); }
inline void clear(Graph& graph) { graph.clear(); }
