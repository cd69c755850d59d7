#include "typology/construction/TypLinOpeningBalcony.h"

const ClassName TypLinOpeningBalcony::kClassName{"TypLinOpeningBalcony"};

TypLinOpeningBalcony::TypLinOpeningBalcony(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                           uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 3;
}

const ClassName& TypLinOpeningBalcony::className() const { return kClassName; }
