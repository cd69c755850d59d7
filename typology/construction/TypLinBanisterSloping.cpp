#include "typology/construction/TypLinBanisterSloping.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinBanisterSlopingCross.h"

const ClassName TypLinBanisterSloping::kClassName{"TypLinBanisterSloping"};

TypLinBanisterSloping::TypLinBanisterSloping(const Line& line_, const Extrusion& extrusion_, float endLevel_,
                                             Desc* context_, uint32_t seed_, const char* materialName)
    : TypLinBanister(line_, extrusion_, context_, seed_, materialName), endLevel(endLevel_) {}

const ClassName& TypLinBanisterSloping::className() const { return kClassName; }

void TypLinBanisterSloping::declareParameters(ParameterList& list) {
    list.addHeading(className().name);
    static const char* const kNames[] = {"Simple", "Cross"};
    static const uint8_t kValues[] = {0, 1};
    list.setVariants(kNames, 2, kValues, &variant);
    // A level, as the extrusion's.
    list.addFloat("End limit", &endLevel, {-10000.0, 10000.0});
    LinearConstruction::declareParameters(list);
}

std::unique_ptr<LinearConstruction> TypLinBanisterSloping::createSloping(int32_t kind, const Line& line_,
                                                                         const Extrusion& extrusion_, float endLevel_,
                                                                         Desc* context_, uint32_t seed_,
                                                                         const char* materialName) {
    if (kind == kAutomatic)
        kind = chooseKind(context_, line_.length());
    switch (kind) {
    case kSimple:
        return std::make_unique<TypLinBanisterSloping>(line_, extrusion_, endLevel_, context_, seed_, materialName);
    case kCross:
        return std::make_unique<TypLinBanisterSlopingCross>(line_, extrusion_, endLevel_, context_, seed_,
                                                            materialName);
    default:
        return nullptr;
    }
}

Drawable* TypLinBanisterSloping::createVariant(int index) {
    return createSloping(index, line, extrusion, endLevel, context, seed, material->textureName()).release();
}

float TypLinBanisterSloping::levelAt(float s) const {
    const float length = line.length();
    if (!(length > 0))
        return extrusion.level;
    const float f = s / length;
    return extrusion.level + (endLevel - extrusion.level) * (f < 0 ? 0 : f > 1 ? 1 : f);
}

std::unique_ptr<TypLinBanister> TypLinBanisterSloping::piece(const Line& part, float s0, float s1,
                                                           uint32_t pieceSeed) const {
    Extrusion start = extrusion;
    start.level = levelAt(s0);
    return std::make_unique<TypLinBanisterSloping>(part, start, levelAt(s1), context, pieceSeed,
                                                   material->textureName());
}
