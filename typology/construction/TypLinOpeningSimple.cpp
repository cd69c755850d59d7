#include "typology/construction/TypLinOpeningSimple.h"

const ClassName TypLinOpeningSimple::kClassName{"TypLinOpeningSimple"};

TypLinOpeningSimple::TypLinOpeningSimple(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                         uint32_t seed_, const char* materialName)
    : TypLinOpening(line_, extrusion_, context_, seed_, materialName) {
    variant = 1;
}

const ClassName& TypLinOpeningSimple::className() const { return kClassName; }
