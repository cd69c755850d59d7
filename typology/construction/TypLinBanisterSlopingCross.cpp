#include "typology/construction/TypLinBanisterSlopingCross.h"

const ClassName TypLinBanisterSlopingCross::kClassName{"TypLinBanisterSlopingCross"};

TypLinBanisterSlopingCross::TypLinBanisterSlopingCross(const Line& line_, const Extrusion& extrusion_,
                                                       float endLevel_, Desc* context_, uint32_t seed_,
                                                       const char* materialName)
    : TypLinBanisterSloping(line_, extrusion_, endLevel_, context_, seed_, materialName) {
    variant = kCross;
}

const ClassName& TypLinBanisterSlopingCross::className() const { return kClassName; }

void TypLinBanisterSlopingCross::generate() { generateBars(true); }
