#include "typology/construction/TypLinOpeningSimple.h"

#include <algorithm>
#include <memory>

#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypLinPanelSimple.h"

const ClassName TypLinOpeningSimple::kClassName{"TypLinOpeningSimple"};

TypLinOpeningSimple::TypLinOpeningSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                         uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 1;
}

const ClassName& TypLinOpeningSimple::className() const { return kClassName; }

void TypLinOpeningSimple::generate() {
    if (!opens())
        return;
    RandomGenerator& random = RandomGenerator::generation();
    const char* name = material->textureName();
    const float level = extrusion.level, height = extrusion.height;
    const float sill = std::min(height, kSillHeight);
    if (line.limit == kWindow && sill != 0) {
        const auto sillSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypLinPanelSimple>(line, Extrusion{level, sill}, context, sillSeed, name));
    }
    if (height >= kHeadHeight && height - kHeadHeight != 0) {
        const auto lintelSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypLinPanelSimple>(line, Extrusion{level + kHeadHeight, height - kHeadHeight},
                                                     context, lintelSeed, name));
    }
}
