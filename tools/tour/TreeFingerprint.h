#pragma once
// The generated tree as text and as one hash, to check that a subtree made
// again from the same seeds is the same.
#include <cstdint>
#include <cstdio>

class Desc;

// FNV-1a over the class name, seed, child count and geometry (polygon points
// with their limits, or the line) of every live description, depth first in
// child order.
uint64_t treeFingerprint(const Desc& root);

// One line per description down to maxDepth (the root is depth 0): class
// name, seed, point count and child count, indented two blanks per level.
void dumpTree(const Desc& root, int maxDepth, std::FILE* out);
