#pragma once
// Spreads the traversal's growth and freeing over frames, so that no frame
// stalls when a new part of the town comes into view or an old one leaves it.
// Everything is counted in nodes (the children a generation adds, the nodes a
// release destroys), never in time: the same camera history gives the same
// tree on every machine, however fast it runs.
//
// With a limit of 0 the traversal grows and frees at once, as it always has.
// With a limit of N nodes a frame:
// - a bare description that wants to refine draws its own shape and waits; at
//   the end of the traversal the waiting ones grow, largest on screen first,
//   and every new child that would refine at the same camera joins them, until
//   the next generation could take the frame past N. A generation is never
//   cut short, so no parent is left with half its children;
// - children the traversal releases leave the tree at once (the tree is the
//   same as without a limit) and are destroyed later, at most N nodes a frame,
//   oldest first, navigation patches with them;
// - a description out of the frustum keeps its children kReleaseDelay frames
//   before it lets them go, kGuardDelay frames while it lies within the guard
//   band just outside the view, so that swinging back regrows nothing;
// - no impostor is made of a description that is coarse by size (it would
//   save no triangles), and one whose picture was taken while some of its
//   subtree still waited is dropped and taken again once that has grown.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "core/Vector.h"

class Desc;
class Drawable;
class RenderContext;

class GrowthBudget {
public:
    // The budget the window and the tour use.
    static constexpr int kDefault = 2000;
    // The smallest limit: the most children one generation can add, so that
    // every frame can grow at least one description.
    static constexpr int kMinimum = 256;
    // Frames a description stays out of the frustum before it releases its
    // children, beyond and within the guard band.
    static constexpr int kReleaseDelay = 6;
    static constexpr int kGuardDelay = 30;
    // The guard band: how far beyond a frustum plane a sphere may lie, as a
    // fraction of its distance from the eye (about 14 degrees at the sides).
    static constexpr float kGuardBand = 0.25f;

    // What the traversal did with a description it visited (for observers).
    // Captured: an impostor was made, its children drawn into it.
    enum class Outcome { Culled, Occluded, Coarse, Waiting, Refined, Captured };

    // What the last traversal did, in nodes.
    struct Counts {
        long made = 0;         // children added by generations
        long generations = 0;  // descriptions grown
        long largest = 0;      // the most one generation added
        long freed = 0;        // detached nodes destroyed
        long waiting = 0;      // descriptions left waiting at the end
        long impostorsDropped = 0;  // impostors taken while their subtree waited
        long visited = 0;      // descriptions the traversal visited
    };

    GrowthBudget();
    ~GrowthBudget();
    GrowthBudget(const GrowthBudget&) = delete;
    GrowthBudget& operator=(const GrowthBudget&) = delete;

    // 0: unlimited; else nodes a frame, raised to kMinimum.
    void setLimit(int nodes);
    int limit() const { return limit_; }
    bool on() const { return limit_ > 0; }

    const Counts& counts() const { return counts_; }
    // Detached nodes not destroyed yet (subtree roots and what they hold).
    long detachedRoots() const { return static_cast<long>(detached_.size()); }
    // Destroys every detached node now: before the renderer that recorded
    // their lists goes, or before the world is made again.
    void releaseAll();

    // Told every description the traversal visits and what became of it;
    // empty: nobody listens.
    std::function<void(const Desc&, Outcome)> observer;

    // ---- for the traversal (Desc::draw) ----
    // Whether a traversal is under way; the outermost one starts and finishes it.
    bool traversing() const { return traversing_; }
    void beginTraversal(Desc& root);
    // Grows the waiting descriptions and destroys detached nodes, both within the limit.
    void endTraversal(const RenderContext& ctx);
    // Clears the flag only: a traversal left by an exception grows nothing.
    void abandonTraversal() { traversing_ = false; }
    // desc, bare, wants to refine; modelView: at desc; planeMask: the planes
    // its children still test; projected: its size on screen (the order of
    // growth).
    void wait(Desc& desc, const Matrix44& modelView, uint32_t planeMask, float projected);
    long waitingCount() const { return static_cast<long>(waiting_.size()); }
    // Grows desc now when the frame's budget still allows a generation;
    // false when it must wait.
    bool growNow(Desc& desc, const Matrix44& modelView);
    // Takes desc's children out of the tree, to be destroyed later.
    void release(Desc& desc);
    void noteImpostorDropped() { ++counts_.impostorsDropped; }
    void notify(const Desc& desc, Outcome outcome) {
        ++counts_.visited;
        if (observer)
            observer(desc, outcome);
    }

private:
    struct Waiting {
        Desc* desc;            // not owned; checked against the tree before use
        Matrix44 modelView;    // at the description, for its children's sort
        uint32_t planeMask;    // the planes its children still test
        float projected;
        long order;            // arrival, for ties
    };

    void grow(const RenderContext& ctx);
    // One generation, counted.
    void generate(Desc& desc, const Matrix44& modelView);
    // desc's own shape shows nothing and it could not grow: its nearest
    // ancestor whose own shape does draws that instead of its children.
    void hold(Desc& desc);
    // Joins the waiting when child would refine at this camera; a child whose
    // own shape shows nothing grows as soon as its parent.
    void offerChild(Desc& child, const Waiting& parent, const RenderContext& ctx);
    void destroyDetached();
    // Destroys the oldest detached node, its children joining the queue.
    void destroyFront();
    // Whether desc still hangs in the tree under the traversal's root.
    bool attached(const Desc& desc) const;

    int limit_ = 0;
    bool traversing_ = false;
    Desc* root_ = nullptr;  // not owned: the outermost description of the traversal
    std::vector<Waiting> waiting_;
    long arrivals_ = 0;
    std::deque<std::unique_ptr<Drawable>> detached_;  // owned: released, not destroyed yet
    Counts counts_;
};
