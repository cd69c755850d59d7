#pragma once
// Something that holds graph nodes it does not own (a walking agent) and must
// hear when one is deleted, before its memory goes.
struct GraphNode;

class GraphNodeWatcher {
public:
    virtual ~GraphNodeWatcher() = default;
    // Called from the node's destructor: node is still readable but about to
    // go; the watcher must drop every pointer to it (it is already off the
    // node's list).
    virtual void nodeReleased(GraphNode* node) = 0;
};
