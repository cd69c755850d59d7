#include "typology/construction/TypLinOpening.h"

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinOpeningBalcony.h"
#include "typology/construction/TypLinOpeningBanister.h"
#include "typology/construction/TypLinOpeningSimple.h"

const ClassName TypLinOpening::kClassName{"TypLinOpening"};

namespace {
const char* const kVariantNames[] = {"Empty", "Simple", "Banister", "Balcony"};
const uint8_t kVariantValues[] = {0, 1, 2, 3};
}  // namespace

TypLinOpening::TypLinOpening(const Line& line_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                             const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName) {
    // The gap shows nothing of the frame, banister or balcony it will hold.
    ownShapeShowsNothing();
}

const ClassName& TypLinOpening::className() const { return kClassName; }

void TypLinOpening::declareParameters(ParameterList& list) {
    list.addHeading(className().name);
    list.setVariants(kVariantNames, 4, kVariantValues, &variant);
    LinearConstruction::declareParameters(list);
}

std::unique_ptr<LinearConstruction> TypLinOpening::createOpening(int32_t kind, const Line& line_,
                                                                 const Extrusion& extrusion_, Desc* context_,
                                                                 uint32_t seed_, const char* materialName) {
    switch (kind) {
    case 0:
        return std::make_unique<TypLinOpening>(line_, extrusion_, context_, seed_, materialName);
    case 1:
        return std::make_unique<TypLinOpeningSimple>(line_, extrusion_, context_, seed_, materialName);
    case 2:
        return std::make_unique<TypLinOpeningBanister>(line_, extrusion_, context_, seed_, materialName);
    case 3:
        return std::make_unique<TypLinOpeningBalcony>(line_, extrusion_, context_, seed_, materialName);
    default:
        return nullptr;
    }
}

Drawable* TypLinOpening::createVariant(int index) {
    return createOpening(index, line, extrusion, context, seed, material->textureName()).release();
}
