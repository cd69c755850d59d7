#include "typology/construction/TypLinWallSimple.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinPortico.h"

const ClassName TypLinWallSimple::kClassName{"TypLinWallSimple"};

namespace {
const char* const kVariantNames[] = {"Wall simple", "Portico"};
const uint8_t kVariantValues[] = {0, 1};
const char* const kSectionsNames[] = {"Simple"};
const int32_t kSectionsValues[] = {0};
const char* const kOpeningsNames[] = {"Empty", "Simple", "Banister", "Balcony"};
const int32_t kOpeningsValues[] = {0, 1, 2, 3};
}  // namespace

TypLinWallSimple::TypLinWallSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                   int32_t sectionsKind_, int32_t openingsKind_, uint32_t seed_,
                                   const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName), sectionsKind(sectionsKind_),
      openingsKind(openingsKind_) {
    if (!material->bound())
        material->bind("Brick1");
}

const ClassName& TypLinWallSimple::className() const { return kClassName; }

void TypLinWallSimple::declareWallEntries(ParameterList& list, uint8_t* variant_, int32_t* sections,
                                          int32_t* openings) {
    list.setVariants(kVariantNames, 2, kVariantValues, variant_);
    list.addIntChoice("Sections", kSectionsNames, 1, kSectionsValues, sections);
    list.addIntChoice("Openings", kOpeningsNames, 4, kOpeningsValues, openings);
}

void TypLinWallSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declareWallEntries(list, &variant, &sectionsKind, &openingsKind);
    LinearConstruction::declareParameters(list);
}

LinearConstruction* TypLinWallSimple::make(int kind, const Line& line_, const Extrusion& extrusion_,
                                           Desc* context_, int32_t sections, int32_t openings, uint32_t seed_,
                                           const char* materialName) {
    switch (kind) {
    case 0:
        return new TypLinWallSimple(line_, extrusion_, context_, sections, openings, seed_, materialName);
    case 1:
        return new TypLinPortico(line_, extrusion_, context_, sections, openings, seed_, materialName);
    default:
        return nullptr;
    }
}

Drawable* TypLinWallSimple::createVariant(int index) {
    return make(index, line, extrusion, context, sectionsKind, openingsKind, seed, material->textureName());
}

// Until sections and openings exist: the wall's own prism.
void TypLinWallSimple::generate() { addOutlinePrism(mapping::kVertical | mapping::kOblique); }
