#pragma once
// A walker of the street graph: it heads for a neighbouring node, turns its
// gaze smoothly at each node and goes on to the neighbour that continues most
// straight ahead. The main window's camera rides one (the autopilot); the
// crowd is a thousand of them, each with a small box as its body.
//
// The nodes it stands between belong to the descriptions that laid the
// streets and go when those collapse. The agent watches the two nodes it
// holds: when one is deleted it drops the pointer, and an agent whose current
// node has gone stands still (lost()) until it is placed again (replace()).
#include <cstdint>

#include "core/DrawablePolyExtruded.h"
#include "core/GraphNodeWatcher.h"
#include "core/RenderContext.h"
#include "core/Vector.h"

class Drawable;
class RandomGenerator;

class Agent : public GraphNodeWatcher {
public:
    static constexpr int kStartMoves = 100001;        // moves of the random start walk
    static constexpr float kFramesPerRadian = 47.746483f;  // 150 frames for a half turn
    static constexpr float kNewSpeed = 0.1f;          // configured speed of a new agent, metres per step
    static constexpr float kBodyHalfWidth = 0.25f;    // metres
    static constexpr float kDetailFactor = 0.9f;      // detail at each turn ...
    static constexpr float kDetailFloor = 0.05f;      // ... while the result stays above this

    Agent();
    ~Agent() override;
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;

    // Places the agent on root's navigation patch: a random walk of
    // kStartMoves moves from the patch's first node that has a neighbour picks
    // the visited node nearest to position (nearest) or the node of the last
    // move (not nearest); the heading is direction (nearest) or a random
    // horizontal one; then it heads for the straightest neighbour. Any turn in
    // progress is dropped. Without such a node (or without a patch or root)
    // the agent is left unplaced. Draws from RandomGenerator::navigation().
    void start(Drawable* root, const Vector& position, const Vector& direction, bool nearest);
    // Places a lost agent again at the node nearest its position, keeping its
    // heading and speed; counts a re-placement. False when it stays unplaced.
    bool replace(Drawable* root);

    // One frame of walking: a turn frame (the gaze swings, no movement), or
    // two steps of `speed` (one when obstacles blocks the second), then the
    // arrival test. obstacles: the collision root, null when collisions are
    // off. Does nothing while standing (speed not positive) or unplaced: no
    // path steps at speed 0.
    void step(RenderContext& ctx, const Drawable* obstacles);
    // Among the current node's neighbours, the one most straight ahead along
    // the heading becomes the current node. The node just left is taken only
    // at a dead end (it is the only neighbour): the agent turns back.
    void chooseNext();
    // The body drawn directly (not recorded); nothing for an unplaced agent.
    void drawBody(RenderContext& ctx);
    // The body as a copy of a box of kBodyHalfWidth around the origin, one
    // metre tall: moved to the position, stretched to the height.
    RenderContext::Instance bodyInstance() const;

    bool placed() const { return current_ != nullptr; }
    // Was placed, and its current node has been deleted since (or was left
    // without any neighbour when the agent reached it).
    bool lost() const { return wasPlaced_ && current_ == nullptr; }
    const GraphNode* previousNode() const { return previous_; }
    const GraphNode* currentNode() const { return current_; }
    bool turning() const { return turnCounter < turnFrames; }

    void nodeReleased(GraphNode* node) override;

    Vector position;             // current point on the street network
    Vector stepVector;           // movement of one step: unit direction to the look point x speed
    float speed = 0;             // metres per step; 0: standing
    float configuredSpeed = kNewSpeed;  // speed taken when the agent is started
    float height = 0;            // eye height (autopilot) or body height (crowd), metres
    Vector heading;              // unit direction of the edge being walked
    DrawablePolyExtruded body;   // 4-point box around the position, height metres tall
    Vector lookPoint;            // where it walks to and looks at
    Vector turnTarget;           // look point when the turn ends
    float turnStep = 0;          // signed radians per turn frame
    int32_t turnFrames = 0;
    int32_t turnCounter = 0;
    // Whether a turn lowers the renderer's detail (the camera's agent: the
    // view swings). A crowd agent leaves the detail alone.
    bool steersDetail = true;

    // Counters: nodes reached, turns begun, re-placements after a lost node.
    long nodesVisited = 0;
    long turns = 0;
    long replacements = 0;

private:
    void setNodes(GraphNode* previous, GraphNode* current);
    void arrive(RenderContext& ctx);
    void updateBody();

    GraphNode* previous_ = nullptr;  // not owned: node walked from, watched
    GraphNode* current_ = nullptr;   // not owned: node walked to, watched; null: not placed
    bool wasPlaced_ = false;
};
