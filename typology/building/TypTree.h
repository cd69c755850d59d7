#pragma once
// A tree planted on the terrain: its own trunk (the branch of depth 0) with a
// random lean and heading, and the crown that grows from it.
#include <cstdint>

#include "typology/building/TypTreeBranch.h"

class RandomGenerator;
class Terrain;

class TypTree : public TypTreeBranch {
public:
    // The trunk starts this far below the ground (metres).
    static constexpr float kSink = 0.25f;

    // Plants a tree at the plane point (x, z) on terrain (not owned; null is
    // flat ground at 0). scale multiplies the trunk's length and radius;
    // treeHeight sizes the bounds. Draws, in order, the lean, the heading,
    // the trunk's length and radius and the tree's seed from random.
    TypTree(float x, float z, float scale, float treeHeight, const Terrain* terrain, RandomGenerator& random);

    const ClassName& className() const override;
    // Heading "TypTree", then the branch's.
    void declareParameters(ParameterList& list) override;

    float treeHeight = 0;

    static const ClassName kClassName;
};
