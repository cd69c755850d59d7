#include "typology/World.h"

#include <utility>

#include "core/RandomGenerator.h"
#include "typology/town/LandPoly.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"

namespace {
// The two process-wide references to the current root.
Desc* gNavigationRoot = nullptr;  // not owned
Desc* gCollisionRoot = nullptr;   // not owned
}  // namespace

Desc* navigationRoot() { return gNavigationRoot; }
Desc* collisionRoot() { return gCollisionRoot; }

void publishWorld(Desc* root) {
    gNavigationRoot = root;
    gCollisionRoot = root;
}

std::unique_ptr<TypRegIrregular> buildWorld(uint32_t rootSeed) {
    // The jitter draws from the generation generator, so the seeding comes
    // first and the outline before anything else.
    RandomGenerator::generation().seed(world::kGeneratorSeed);

    LandPoly outline;
    for (const auto& corner : world::kCorners)
        outline.append(Point{corner[0], corner[1], 0}, 0.0f, nullptr);
    jitterEdges(outline, world::kJitterStep, world::kJitterWidth, true);

    auto root = std::make_unique<TypRegIrregular>(outline.poly(), std::vector<GraphNode*>{}, world::kOverHeight,
                                                  rootSeed, world::kWinding, outline.widths);
    publishWorld(root.get());
    return root;
}

void destroyWorld(std::unique_ptr<Desc>& world) {
    if (world && (gNavigationRoot == world.get() || gCollisionRoot == world.get()))
        publishWorld(nullptr);
    world.reset();
}

TypRegIrregular* buildWorld(std::unique_ptr<Desc>& world, uint32_t rootSeed) {
    destroyWorld(world);
    std::unique_ptr<TypRegIrregular> root = buildWorld(rootSeed);
    TypRegIrregular* raw = root.get();
    world = std::move(root);
    return raw;
}

TypQuaIrregular* findQuarter(Desc& world, float x, float z, Matrix44& frame) {
    frame = Matrix44::identity();
    Desc* node = &world;
    for (int depth = 0; depth < 16 && node; ++depth) {
        if (auto* quarter = dynamic_cast<TypQuaIrregular*>(node))
            return quarter;
        node->refine(Matrix44::identity());
        Desc* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            auto* child = dynamic_cast<DescPoly*>(node->child(i));
            if (!child)
                continue;
            Matrix44 childFrame = frame;
            if (const Matrix44* local = child->localTransform())
                childFrame = frame * *local;
            const Vector p = childFrame.inverse().transformPoint({x, 0, z});
            if (child->poly.containsPoint(p.x, p.z)) {
                next = child;
                frame = childFrame;
            }
        }
        node = next;
    }
    return nullptr;
}
