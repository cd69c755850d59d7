#pragma once
// The real town the benchmarks work on, made once per run: the world root,
// refined by hand (not through a camera) down to the town at the centre of
// the municipality and into its quarters.
#include <memory>

#include "core/Desc.h"

class TypRegIrregular;
class TypTowIrregular;

class BenchWorld {
public:
    static BenchWorld& instance();

    // The town's first quarter, its children released.
    Desc& quarter();
    // The first court building found depth first in the quarter; the
    // quarter stays grown. Null when the quarter has none.
    Desc* courtBuilding();

    // Refines d and every description below it until only leaves remain;
    // returns the number of descriptions below d.
    static long growToLeaves(Desc& d);
    // Calls f for every drawable below d that is not a description.
    template <class F>
    static void forEachLeaf(Desc& d, F&& f) {
        for (auto& c : d.children) {
            if (auto* child = dynamic_cast<Desc*>(c.get()))
                forEachLeaf(*child, f);
            else
                f(*c);
        }
    }

private:
    BenchWorld();

    std::unique_ptr<TypRegIrregular> root_;
    TypTowIrregular* town_ = nullptr;  // not owned
};
