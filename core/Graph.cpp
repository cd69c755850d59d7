#include "core/Graph.h"

#include <algorithm>
#include <cmath>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/Terrain.h"

namespace {
void removeAll(std::vector<GraphNode*>& list, const GraphNode* n) {
    list.erase(std::remove(list.begin(), list.end(), n), list.end());
}
}  // namespace

GraphNode::~GraphNode() {
    // A watcher may stop watching other nodes while it is told; this node's
    // list is taken first so that nothing changes it underneath.
    std::vector<GraphNodeWatcher*> told;
    told.swap(watchers);
    for (GraphNodeWatcher* w : told)
        w->nodeReleased(this);
}

void GraphNode::watch(GraphNodeWatcher* w) {
    if (w && std::find(watchers.begin(), watchers.end(), w) == watchers.end())
        watchers.push_back(w);
}

void GraphNode::unwatch(GraphNodeWatcher* w) {
    watchers.erase(std::remove(watchers.begin(), watchers.end(), w), watchers.end());
}

void addEdge(GraphNode* a, GraphNode* b) {
    if (!a || !b)
        return;
    a->neighbours.push_back(b);
    b->neighbours.push_back(a);
}

void removeEdge(GraphNode* a, GraphNode* b) {
    if (!a || !b)
        return;
    removeAll(a->neighbours, b);
    removeAll(b->neighbours, a);
}

void detachNode(GraphNode* n) {
    if (!n)
        return;
    for (GraphNode* other : n->neighbours)
        if (other != n)
            removeAll(other->neighbours, n);
}

GraphNode* Graph::addNode(const Vec2& point, const DescPolyLand& owner, bool merge) {
    Vector position{point.x, owner.extrusion.level, point.y};
    if (owner.terrain) {
        const Vec2 placed = owner.terrain->place(point);
        position = {placed.x, owner.terrain->height(point), placed.y};
    }
    return addNode(position, merge);
}

GraphNode* Graph::addNode(const Vector& position, bool merge) {
    if (merge) {
        for (const auto& n : nodes_)
            if (std::fabs(n->position.x - position.x) < kMergeTolerance &&
                std::fabs(n->position.y - position.y) < kMergeTolerance &&
                std::fabs(n->position.z - position.z) < kMergeTolerance)
                return n.get();
    }
    auto node = std::make_unique<GraphNode>();
    node->position = position;
    node->merge = merge ? 1 : 0;
    nodes_.push_back(std::move(node));
    return nodes_.back().get();
}

void Graph::removeLastNodes(int k) {
    CALLI_ASSERT(k >= 0);
    CALLI_ASSERT(k <= count());
    // The path code has removed the edges leading out already; detaching
    // again keeps any other caller from leaving dangling neighbours.
    for (int i = count() - k; i < count(); ++i)
        detachNode(nodes_[i].get());
    nodes_.resize(nodes_.size() - static_cast<size_t>(k));
}

void Graph::clear() {
    for (const auto& n : nodes_)
        detachNode(n.get());
    nodes_.clear();
}

int Graph::indexOf(const GraphNode* n) const {
    for (int i = 0; i < count(); ++i)
        if (nodes_[i].get() == n)
            return i;
    return -1;
}
