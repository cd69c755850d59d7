#include "bench/BenchWorld.h"

#include "core/Assert.h"
#include "typology/World.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

namespace {
const Matrix44 kNoCamera = Matrix44::identity();

// The first T at or below d, depth first in child order.
template <class T>
T* firstOf(Desc& d) {
    if (auto* found = dynamic_cast<T*>(&d))
        return found;
    for (auto& c : d.children)
        if (auto* child = dynamic_cast<Desc*>(c.get()))
            if (T* found = firstOf<T>(*child))
                return found;
    return nullptr;
}
}  // namespace

BenchWorld& BenchWorld::instance() {
    static BenchWorld world;
    return world;
}

BenchWorld::BenchWorld() : root_(buildWorld()) {
    root_->refine(kNoCamera);
    auto* mun = dynamic_cast<TypMunIrregular*>(root_->child(0));
    CALLI_ASSERT(mun != nullptr);
    mun->refine(kNoCamera);
    // The town whose outline holds the municipality's centre, where the population is densest.
    for (auto& c : mun->children) {
        auto* town = dynamic_cast<TypTowIrregular*>(c.get());
        if (!town)
            continue;
        const Vector origin = town->transform.translationPart();
        if (!town_ || town->poly.containsPoint(mun->centre.x - origin.x, mun->centre.z - origin.z))
            town_ = town;
    }
    CALLI_ASSERT(town_ != nullptr);
    town_->refine(kNoCamera);
}

Desc& BenchWorld::quarter() {
    TypQuaIrregular* first = nullptr;
    for (auto& c : town_->children)
        if (!first)
            first = dynamic_cast<TypQuaIrregular*>(c.get());
    CALLI_ASSERT(first != nullptr);
    first->releaseChildren();
    return *first;
}

Desc* BenchWorld::courtBuilding() {
    Desc& q = quarter();
    growToLeaves(q);
    return firstOf<TypBuiCourt>(q);
}

long BenchWorld::growToLeaves(Desc& d) {
    d.refine(kNoCamera);
    long made = 0;
    for (auto& c : d.children)
        if (auto* child = dynamic_cast<Desc*>(c.get()))
            made += 1 + growToLeaves(*child);
    return made;
}
