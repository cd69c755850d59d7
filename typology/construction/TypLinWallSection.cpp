#include "typology/construction/TypLinWallSection.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinPanelSimple.h"

const ClassName TypLinWallSection::kClassName{"TypLinWallSection"};

namespace {
const char* const kVariantNames[] = {"Simple"};
const uint8_t kVariantValues[] = {0};
}  // namespace

TypLinWallSection::TypLinWallSection(const Line& line_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                                     const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypLinWallSection::className() const { return kClassName; }

void TypLinWallSection::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.setVariants(kVariantNames, 1, kVariantValues, &variant);
    LinearConstruction::declareParameters(list);
}

std::unique_ptr<LinearConstruction> TypLinWallSection::createSection(int32_t kind, const Line& line_,
                                                                     const Extrusion& extrusion_, Desc* context_,
                                                                     uint32_t seed_, const char* materialName) {
    if (kind != 0)
        return nullptr;
    return std::make_unique<TypLinWallSection>(line_, extrusion_, context_, seed_, materialName);
}

Drawable* TypLinWallSection::createVariant(int index) {
    return createSection(index, line, extrusion, context, seed, material->textureName()).release();
}

void TypLinWallSection::generate() {
    addChild(std::make_unique<TypLinPanelSimple>(line, extrusion, context, seed, material->textureName()));
}
