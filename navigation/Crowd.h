#pragma once
// The walking figures shown with "NPCs": a fixed number of agents, each with
// a box as its body, stepped and drawn once per frame. Agents are made
// unplaced and standing; the crowd places them at random nodes of the world's
// street graph at their configured speed, and places again (at the node
// nearest where they stood) those whose node collapsed under them. Each
// placement is a long random walk, so only a few are done per frame; the
// others stand still meanwhile and a never-placed agent is not drawn.
#include <memory>
#include <vector>

#include "core/Material.h"
#include "core/Poly.h"
#include "core/RenderContext.h"
#include "navigation/Agent.h"

class Drawable;

class Crowd {
public:
    static constexpr int kAgentCount = 1000;
    // Start walks per frame, new and lost agents together.
    static constexpr int kPlacementsPerFrame = 20;
    static constexpr float kBodyHeight = 1.5f;      // metres ...
    static constexpr float kBodyHeightRange = 0.5f;  // ... plus up to this

    // count agents, body heights drawn in order from RandomGenerator::navigation().
    explicit Crowd(int count = kAgentCount);

    // Places up to kPlacementsPerFrame unplaced or lost agents on world's
    // graph (world may be null: nobody is placed), steps every agent in order
    // (obstacles = world when collide is set), then draws every placed body
    // directly, all in one instanced draw of a box with the bodies' material
    // seeded as each body's draw seeds it: the list the draw leaves in the
    // context is taken and freed, so nothing is recorded.
    void stepAndDraw(RenderContext& ctx, Drawable* world, bool collide);

    int count() const { return static_cast<int>(agents_.size()); }
    Agent& agent(int i) { return *agents_[i]; }
    const Agent& agent(int i) const { return *agents_[i]; }
    // Agents standing on a live node.
    int placedCount() const;
    // Sums of the agents' counters.
    long nodesVisited() const { return total(&Agent::nodesVisited); }
    long turns() const { return total(&Agent::turns); }
    long replacements() const { return total(&Agent::replacements); }

private:
    void place(Drawable* world);
    long total(long Agent::*counter) const;

    std::vector<std::unique_ptr<Agent>> agents_;  // owned
    // Every body is this box moved to the agent and stretched to its height.
    Poly bodyShape_;
    Material bodyMaterial_;
    std::vector<RenderContext::Instance> bodies_;  // this frame's, kept for its memory
};
