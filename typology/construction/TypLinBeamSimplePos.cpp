#include "typology/construction/TypLinBeamSimplePos.h"

#include "core/ParameterList.h"
#include "core/RenderContext.h"

const ClassName TypLinBeamSimplePos::kClassName{"TypLinBeamSimplePos"};

TypLinBeamSimplePos::TypLinBeamSimplePos(const Line& line_, const Extrusion& extrusion_, const Matrix44& placement_,
                                         Desc* context_, uint32_t seed_, const char* materialName)
    : TypLinBeamSimple(line_, extrusion_, context_, seed_, materialName), placement(placement_) {}

const ClassName& TypLinBeamSimplePos::className() const { return kClassName; }

void TypLinBeamSimplePos::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypLinBeamSimple::declareParameters(list);
}

void TypLinBeamSimplePos::draw(RenderContext& ctx) {
    ctx.drawPlaced(placement, [&] { TypLinBeamSimple::draw(ctx); });
}
