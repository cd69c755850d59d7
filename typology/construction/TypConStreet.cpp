#include "typology/construction/TypConStreet.h"

#include <memory>

#include "core/DrawableTerrainPoly.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "typology/building/TypBui.h"

const ClassName TypConStreet::kClassName{"TypConStreet"};

TypConStreet::TypConStreet(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, const Terrain* terrain_,
                           uint32_t seed_, const char* materialName)
    : Construction(poly_, extrusion_, owner, seed_, materialName), ownerStreet(owner), terrain(terrain_) {}

const ClassName& TypConStreet::className() const { return kClassName; }

void TypConStreet::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Construction::declareParameters(list);
}

void TypConStreet::generate() {
    const auto drawableSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    addChild(std::make_unique<DrawableTerrainPoly>(poly, terrain, kSkirtDepth, drawableSeed,
                                                   leafMaterial(material->textureName(), mapping::kHorizontal, 3)));
}

void TypConStreet::fit(DescPoly& piece, const Terrain* terrain, float overHeight) {
    float low = 0, high = 0;
    if (!terrain || !terrain->range(piece.poly, low, high))
        return;
    piece.extrusion.level = low;
    piece.extrusion.height = high - low + overHeight;
    piece.computeBounds();
}
