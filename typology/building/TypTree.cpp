#include "typology/building/TypTree.h"

#include <algorithm>
#include <cmath>

#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"

const ClassName TypTree::kClassName{"TypTree"};

namespace {
struct Planting {
    Vector base;
    Matrix44 frame;
    float length = 0, radius = 0;
    uint32_t seed = 0;
};

// The draws of planting, in their order: lean, heading, length, radius, seed.
Planting plant(float x, float z, float scale, const Terrain* terrain, RandomGenerator& random) {
    Planting p;
    // Upright: local z (growth) along world y, local y along world -z.
    Matrix44 upright;
    upright(1, 1) = 0;
    upright(2, 1) = -1;
    upright(1, 2) = 1;
    upright(2, 2) = 0;
    const float lean = static_cast<float>(0.1 * random.uniform() - 0.05);
    Matrix44 leanAbout;  // about world x
    leanAbout(1, 1) = std::cos(lean);
    leanAbout(1, 2) = -std::sin(lean);
    leanAbout(2, 1) = std::sin(lean);
    leanAbout(2, 2) = std::cos(lean);
    const float heading = static_cast<float>(2 * 3.14159265358979 * random.uniform());
    p.frame = Matrix44::rotationY(heading) * leanAbout * upright;
    const float ground = terrain ? terrain->height(x, z) : 0.0f;
    p.base = {x, ground - TypTree::kSink, z};
    p.length = (2 + static_cast<float>(random.uniform())) * scale;
    p.radius = 0.1f * (1 + static_cast<float>(random.uniform())) * scale;
    p.seed = static_cast<uint32_t>(random.next());
    return p;
}

}  // namespace

TypTree::TypTree(float x, float z, float scale, float treeHeight_, const Terrain* terrain, RandomGenerator& random)
    : TypTreeBranch(0, 0, 0, Vector{}, Matrix44{}, 0), treeHeight(treeHeight_) {
    const Planting p = plant(x, z, scale, terrain, random);
    length = p.length;
    radius = p.radius;
    base = p.base;
    frame = p.frame;
    seed = p.seed;
    const Vector top = tip();
    line = Line(base.x, base.z, top.x, top.z, 2 * radius);
    extrusion = Extrusion{std::min(base.y, top.y), std::fabs(top.y - base.y)};
    centre = base + Vector{0, treeHeight / 2, 0};
    Desc::radius = size = treeHeight / 2;
}

const ClassName& TypTree::className() const { return kClassName; }

void TypTree::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypTreeBranch::declareParameters(list);
}
