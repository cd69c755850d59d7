#pragma once
// One branch of a tree: a prism along its growth direction that, while it is
// shallow enough, spawns 2 to 4 thinner and shorter child branches at its tip.
// The trunk is the tree itself (TypTree), the branch of depth 0.
#include <cstdint>
#include <memory>

#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "core/Vector.h"

class TypTreeBranch : public DescLine {
public:
    // Branches of this depth have no children (depths 0 to 5 exist).
    static constexpr int kMaxDepth = 5;
    // The prism reaches this many branch lengths along the growth direction.
    static constexpr float kPrismLength = 1.35f;
    // Children start this many parent radii back from the tip, along their own growth.
    static constexpr float kChildSink = 0.3f;

    // frame: the branch's axes as the first three columns (the third the
    // growth direction); its translation is ignored, base is the start.
    TypTreeBranch(int depth, float length, float radius, const Vector& base, const Matrix44& frame, uint32_t seed);

    const ClassName& className() const override;
    // Heading "TypTreeBranch", then the common tail.
    void declareParameters(ParameterList& list) override;
    // The branch prism (hexagonal for the trunk, else triangular) and, below
    // the deepest level, 2 to 4 child branches.
    void generate() override;
    bool allowsImpostor() const override { return false; }
    // Until it grows, a branch stands for its subtree by its own prism, as the
    // branch's first child draws it (not the plan slab of a linear description).
    void drawOwnShape(RenderContext& ctx) override;
    void renderOwnShape(RenderContext& ctx) override;
    void childrenReleased() override;

    // Axis k (0, 1, 2) of the frame as a world direction.
    Vector axis(int k) const { return {frame(0, k), frame(1, k), frame(2, k)}; }
    Vector tip() const { return base + axis(2) * length; }
    // The cross-section: n corners (6 at depth 0, else 3) at angle -2*pi*k/n,
    // (sin, cos) times the radius.
    Poly section() const;
    // The prism's placement: local x to axis 0, local y (the extrusion) to the
    // growth axis, local z to minus axis 1, origin at the base.
    Matrix44 placement() const;
    // A frame turned by angle about its own axis k (0, 1, 2).
    static Matrix44 turned(const Matrix44& frame, int k, float angle);

    int depth = 0;
    float length = 0;
    float radius = 0;
    Vector base;
    Matrix44 frame;

    static const ClassName kClassName;

protected:
    // Bounds around the branch and everything that can grow from it.
    void computeBranchBounds();

private:
    // The prism drawn while the branch has no children, made when first needed.
    DrawablePolyExtrudedP& ownPrism();
    std::unique_ptr<DrawablePolyExtrudedP> makePrism(uint32_t prismSeed) const;
    std::unique_ptr<DrawablePolyExtrudedP> prism_;
};
