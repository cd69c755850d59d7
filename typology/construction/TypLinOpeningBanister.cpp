#include "typology/construction/TypLinOpeningBanister.h"

const ClassName TypLinOpeningBanister::kClassName{"TypLinOpeningBanister"};

TypLinOpeningBanister::TypLinOpeningBanister(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                             uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 2;
}

const ClassName& TypLinOpeningBanister::className() const { return kClassName; }
