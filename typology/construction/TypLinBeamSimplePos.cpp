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
    const Matrix44 savedModel = ctx.model;
    const Matrix44 savedModelView = ctx.modelView;
    ctx.model = ctx.model * placement;
    ctx.modelView = ctx.modelView * placement;
    ctx.applyModelTransform();
    TypLinBeamSimple::draw(ctx);
    ctx.model = savedModel;
    ctx.modelView = savedModelView;
    ctx.applyModelTransform();
}
