#pragma once
// The quarters a tiles export writes: every quarter of every town of the
// world, the central town's first (the town holding the municipality's
// centre, where the town is densest), then the other towns in their order;
// within a town the quarters in theirs. And what stands for a quarter while
// it is coarse: its blocks, urban ones as their prisms.
#include <string>
#include <vector>

#include "renderer/GltfScene.h"

class Desc;
class TypQuaIrregular;

struct TileQuarter {
    int index = 0;    // in the export's order
    int town = 0;     // the town's place among the municipality's towns
    int quarter = 0;  // the quarter's place among its town's quarters
    TypQuaIrregular* desc = nullptr;  // not owned: the world's
    // "q0007": the name of its files.
    std::string name() const;
};

// Refines the world down to the quarters of every town and lists them.
std::vector<TileQuarter> listTileQuarters(Desc& world);

// Adds the quarter's blocks to scene: urban blocks as their prisms, the
// others as their ground. Returns the largest block size: how far the coarse
// shapes may stray from what the blocks grow into. The quarter is refined
// for this and released again.
float addCoarseBlocks(TypQuaIrregular& quarter, GltfScene& scene);
