#pragma once
// The world root and its fixed starting values. Nothing of the town is stored:
// the root region is laid over a fixed four-corner outline with a fixed seed,
// and everything below it grows on demand during the traversal.
//
// Two process-wide references to the current root serve navigation (the
// autopilot's starting node) and collision; buildWorld() publishes them and
// destroyWorld() clears them. Whoever holds the returned root owns it.
#include <cstdint>
#include <memory>

#include "core/Vector.h"

class Desc;
class TypQuaIrregular;
class TypRegIrregular;

namespace world {
inline constexpr int32_t kGeneratorSeed = 0;  // generation generator, before the outline
inline constexpr uint32_t kRootSeed = 9236;
inline constexpr float kOverHeight = 70.0f;      // metres
inline constexpr float kJitterStep = 200.0f;     // metres between inserted outline points
inline constexpr float kJitterWidth = 5.0f;      // street width at inserted outline points
inline constexpr float kWinding = 0.39269909f;   // "Medium"
inline constexpr int kCornerCount = 4;
// The outline corners (x, z) in metres, in order.
inline constexpr float kCorners[kCornerCount][2] = {{0, 0}, {0, 3400}, {5100, 3400}, {5500, -300}};
}  // namespace world

// Seeds the generation generator with 0, jitters the outline into 94 points
// and makes the root region over it (seed rootSeed, 9236 unless another is
// asked for, over height 70, winding pi/8, the outline's widths); publishes
// the new root and returns it.
std::unique_ptr<TypRegIrregular> buildWorld(uint32_t rootSeed = world::kRootSeed);
// Destroys the tree held in world first (clearing the published references
// while it goes), then builds a new one into it. Returns the new root.
TypRegIrregular* buildWorld(std::unique_ptr<Desc>& world, uint32_t rootSeed = world::kRootSeed);
// Destroys the tree held in world, if any, and clears the published references.
void destroyWorld(std::unique_ptr<Desc>& world);

// The current root for street queries and the autopilot's start; null when none.
Desc* navigationRoot();
// The current root for collision tests; null when none.
Desc* collisionRoot();
// Publishes root (not owned; null clears) in both references.
void publishWorld(Desc* root);

// The quarter holding world point (x, z) (metres), refining the descriptions
// above it on the way down; null when none holds it. frame receives the
// placement of the quarter's coordinates in the world (identity outside towns).
TypQuaIrregular* findQuarter(Desc& world, float x, float z, Matrix44& frame);
