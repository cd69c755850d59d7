#include "typology/construction/TypLinBanisterCross.h"

const ClassName TypLinBanisterCross::kClassName{"TypLinBanisterCross"};

TypLinBanisterCross::TypLinBanisterCross(const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                         uint32_t seed_, const char* materialName)
    : TypLinBanister(line_, extrusion_, context_, seed_, materialName) {
    variant = kCross;
}

const ClassName& TypLinBanisterCross::className() const { return kClassName; }

void TypLinBanisterCross::generate() { generateBars(true); }
