#pragma once
// A description: a drawable that owns children it can make on demand from its
// seed (generate) and frees again when it leaves the view or stays coarse.
// draw() is the per-frame traversal: frustum test, occlusion, level of detail,
// impostors, lazy generation with a nearest-first sort, collapse countdown.
#include <memory>
#include <vector>

#include "core/Drawable.h"
#include "core/Extrusion.h"
#include "core/Line.h"
#include "core/Poly.h"
#include "core/Vector.h"

class Impostor;
class RenderGroup;

class Desc : public Drawable {
public:
    static constexpr int kMaxChildren = 256;
    static constexpr uint8_t kCountdownRefined = 250;

    Desc(uint32_t seed, const char* materialName);
    ~Desc() override;

    void render(RenderContext& ctx) override;
    void draw(RenderContext& ctx) override;
    void computeDepth(const Matrix44& modelView) override;
    const ClassName& className() const override;
    void declareParameters(ParameterList& list) override;
    bool collides(const Vector& from, const Vector& to) const override;

    // Creates the children, drawing only from RandomGenerator::generation().
    virtual void generate() {}
    virtual void drawOwnShape(RenderContext& ctx) = 0;
    // Display-list caching of drawOwnShape, as render() does for draw().
    virtual void renderOwnShape(RenderContext& ctx);
    // Called after the children array has been emptied.
    virtual void childrenReleased() {}
    virtual bool allowsImpostor() const { return true; }
    // Whether the subtree is drawn as one group the renderer may merge (a
    // building-level block); see RenderContext::beginGroup.
    virtual bool drawsAsGroup() const { return false; }

    // Takes ownership. A 257th child is dropped and marks the generation as
    // overfull: refine() then throws all children away and the description
    // stays coarse.
    void addChild(std::unique_ptr<Drawable> child);
    template <class T>
    T* addChild(std::unique_ptr<T> child) {
        T* raw = child.get();
        addChild(std::unique_ptr<Drawable>(std::move(child)));
        return overfull_ ? nullptr : raw;
    }
    // The last generation made more than kMaxChildren children: the
    // description is drawn as its own shape until its children are released.
    bool tooManyChildren() const { return overfull_; }
    int childCount() const { return static_cast<int>(children.size()); }
    Drawable* child(int i) const { return children[i].get(); }
    // Deletes every child and calls childrenReleased(); the next refine()
    // generates again.
    void releaseChildren();
    // Takes the children out (the caller destroys them), then calls
    // childrenReleased(); the description is bare as after releaseChildren().
    std::vector<std::unique_ptr<Drawable>> takeChildren();
    // Drops the impostor, its material and the render handle; nothing without an impostor.
    void releaseImpostor();
    // Seeds the generation generator with the seed, generates, and sorts the
    // children nearest-first with modelView. Does nothing when children exist.
    void refine(const Matrix44& modelView);

    uint8_t index = 0;
    Vector centre;
    float radius = 0;
    float size = 0;
    std::vector<std::unique_ptr<Drawable>> children;  // owned
    std::unique_ptr<Impostor> impostor;               // owned, or null
    std::unique_ptr<RenderGroup> groupHandle;         // owned: the context's merged copy, or null
    float impostorCreationSize = 0;
    uint8_t countdown = kCountdownRefined;

    static const ClassName kClassName;

    // ---- the traversal's tests, shared with the growth budget ----
    // Drops from mask every plane the view-space sphere (c, radius) lies
    // wholly inside; then the first plane left in mask that it lies wholly
    // outside, or -1.
    static int outsidePlane(const RenderContext& ctx, const Vector& c, float radius, uint32_t& mask);
    // Whether the sphere lies beyond the guard band of a plane in mask.
    static bool beyondGuardBand(const RenderContext& ctx, const Vector& c, float radius, uint32_t mask);
    // size over the view depth z at most the context's threshold; never in
    // front of the eye's plane.
    static bool coarseBySize(const RenderContext& ctx, float size, float z);
    // The size on screen that orders waiting growth: larger first, and a
    // description around the eye before all.
    static float waitPriority(float size, float z);

    // Process-wide counters for statistics: descriptions alive, and made or
    // freed since the last resetCounters().
    static inline long liveCount = 0;
    static inline long generatedCount = 0;
    static inline long freedCount = 0;
    static void resetCounters() { generatedCount = freedCount = 0; }

    // Whether the own shape stands for what the children would show. One
    // that does not (an opening: its shape is the gap) is never left waiting
    // to grow in view: its parent draws its own shape meanwhile.
    bool ownShapeCovers() const { return ownShapeCovers_; }

protected:
    // For generate(): the description's values (edited by hand) ask for what
    // cannot be grown; as after too many children, it stays drawn as its own
    // shape until its children are released.
    void stayCoarse() { overfull_ = true; }
    // For a typology whose own shape shows nothing of its children.
    void ownShapeShowsNothing() { ownShapeCovers_ = false; }

private:
    friend class GrowthBudget;  // grows waiting descriptions and marks the barren ones
    bool overfull_ = false;
    // Budgeted traversal only: frames in a row out of the frustum with
    // children; whether the last generation made no child (it is not made
    // again until the description is released); frames before another
    // impostor may be made after one was taken too early.
    uint8_t outOfView_ = 0;
    bool barren_ = false;
    uint8_t impostorHold_ = 0;
    bool ownShapeCovers_ = true;
    // Budgeted: descendants whose own shape shows nothing and that wait to
    // grow (not owned; they live as long as this description's children,
    // which no traversal touches meanwhile); null when none. While there are
    // any, this description draws its own shape instead of its children.
    std::unique_ptr<std::vector<Desc*>> awaited_;
    // Captured: coarse, with an impostor made this frame from the children.
    enum class Detail { Coarse, Captured, Refine };
    // What the children array being emptied resets; then childrenReleased().
    void forgetChildren();
    // The traversal proper; draw() wraps the outermost one for the growth budget.
    void traverse(RenderContext& ctx);
    // Out of the frustum: impostor and children go (children after a delay when budgeted).
    void leaveView(RenderContext& ctx, const Vector& c);
    // Bare, growable, in the frustum of mask and fine enough at modelView.
    bool wantsToGrow(const RenderContext& ctx, const Matrix44& modelView, uint32_t mask) const;
    // Queues what is still awaited for growth, at least as early as
    // priority (this description's); false when nothing is left.
    bool stillAwaiting(RenderContext& ctx, float priority);
    Detail decideDetail(RenderContext& ctx);
    void pushImpostorMaterial(Impostor* impostor);
};

// A description over a ground polygon with a vertical extrusion.
class DescPoly : public Desc {
public:
    // h >= 0: level 0 and height h; h < 0: level h and height -h.
    DescPoly(const Poly& poly, float h, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    void declareParameters(ParameterList& list) override;
    bool containsPoint(const Vector& p) const override;
    void drawOwnShape(RenderContext& ctx) override;
    // Centre, radius and size from the polygon and the extrusion.
    void computeBounds();

    Poly poly;
    Extrusion extrusion;

    static const ClassName kClassName;
};

// A description along a straight line with a width and an extrusion.
class DescLine : public Desc {
public:
    DescLine(const Line& line, const Extrusion& extrusion, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    void declareParameters(ParameterList& list) override;
    void drawOwnShape(RenderContext& ctx) override;
    void computeBounds();

    Line line;
    Extrusion extrusion;

    static const ClassName kClassName;
};
