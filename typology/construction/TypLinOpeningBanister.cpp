#include "typology/construction/TypLinOpeningBanister.h"

#include <memory>

#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypLinBanister.h"
#include "typology/construction/TypLinPanelSimple.h"

const ClassName TypLinOpeningBanister::kClassName{"TypLinOpeningBanister"};

TypLinOpeningBanister::TypLinOpeningBanister(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                             uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 2;
}

const ClassName& TypLinOpeningBanister::className() const { return kClassName; }

void TypLinOpeningBanister::generate() {
    if (!opens())
        return;
    RandomGenerator& random = RandomGenerator::generation();
    const float top = extrusion.level + extrusion.height;
    const auto banisterSeed = static_cast<uint32_t>(random.next());
    if (auto banister = TypLinBanister::createBanister(TypLinBanister::kAutomatic, line,
                                                        Extrusion{extrusion.level, kBanisterHeight}, context,
                                                        banisterSeed, "Wood1"))
        addChild(std::move(banister));
    const auto lintelSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypLinPanelSimple>(line, Extrusion{top - line.width, line.width}, context, lintelSeed,
                                                 material->textureName()));
}
