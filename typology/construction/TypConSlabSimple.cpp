#include "typology/construction/TypConSlabSimple.h"

#include "core/Material.h"
#include "core/ParameterList.h"

const ClassName TypConSlabSimple::kClassName{"TypConSlabSimple"};

TypConSlabSimple::TypConSlabSimple(const Poly& poly_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                                   const char* materialName)
    : Construction(poly_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypConSlabSimple::className() const { return kClassName; }

void TypConSlabSimple::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Construction::declareParameters(list);
}

int TypConSlabSimple::longestEdge(const Poly& p) {
    int best = 0;
    float bestLength = -1;
    for (int i = 0; i < p.count(); ++i) {
        const float l = p.edge(i).length();
        if (l > bestLength) {
            bestLength = l;
            best = i;
        }
    }
    return best;
}

void TypConSlabSimple::generate() {
    if (poly.isConvex())
        addPrism(poly, mapping::kHorizontal | mapping::kOblique, static_cast<uint8_t>(longestEdge(poly)));
    else
        addPrism(poly, mapping::kHorizontal, 0);
}
