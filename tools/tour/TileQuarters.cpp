#include "tools/tour/TileQuarters.h"

#include <algorithm>
#include <cstdio>

#include "core/Desc.h"
#include "renderer/MeshCollector.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypTowIrregular.h"

namespace {

const Matrix44 kNoCamera = Matrix44::identity();

template <class T>
std::vector<T*> childrenOf(Desc& d) {
    std::vector<T*> out;
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* c = dynamic_cast<T*>(d.child(i)))
            out.push_back(c);
    return out;
}

}  // namespace

std::string TileQuarter::name() const {
    char text[16];
    std::snprintf(text, sizeof text, "q%04d", index);
    return text;
}

std::vector<TileQuarter> listTileQuarters(Desc& world) {
    std::vector<TileQuarter> out;
    world.refine(kNoCamera);
    for (TypMunIrregular* mun : childrenOf<TypMunIrregular>(world)) {
        mun->refine(kNoCamera);
        const std::vector<TypTowIrregular*> towns = childrenOf<TypTowIrregular>(*mun);
        std::vector<int> order;
        for (int t = 0; t < static_cast<int>(towns.size()); ++t) {
            const Vector origin = towns[static_cast<size_t>(t)]->transform.translationPart();
            if (towns[static_cast<size_t>(t)]->poly.containsPoint(mun->centre.x - origin.x, mun->centre.z - origin.z))
                order.insert(order.begin(), t);
            else
                order.push_back(t);
        }
        for (int t : order) {
            TypTowIrregular* town = towns[static_cast<size_t>(t)];
            town->refine(kNoCamera);
            const std::vector<TypQuaIrregular*> quarters = childrenOf<TypQuaIrregular>(*town);
            for (int q = 0; q < static_cast<int>(quarters.size()); ++q) {
                TileQuarter tile;
                tile.index = static_cast<int>(out.size());
                tile.town = t;
                tile.quarter = q;
                tile.desc = quarters[static_cast<size_t>(q)];
                out.push_back(tile);
            }
        }
    }
    return out;
}

float addCoarseBlocks(TypQuaIrregular& quarter, GltfScene& scene) {
    quarter.refine(kNoCamera);
    MeshCollector collector;
    collector.sink = [&scene](MeshCollector::Piece& piece) { scene.add(piece); };
    float error = 0;
    for (TypBlo* block : childrenOf<TypBlo>(quarter)) {
        const Matrix44 frame = worldFrameOf(*block);
        if (block->urban)
            collector.collectPrism(*block, frame);
        else
            collector.collectOwnShape(*block, frame);
        error = std::max(error, block->size);
    }
    quarter.releaseChildren();
    return error;
}
