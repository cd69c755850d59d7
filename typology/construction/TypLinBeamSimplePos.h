#pragma once
// A beam in its own frame: the placement maps its line and extrusion into
// its parent's coordinates (a beam laid at a slant or turned on its side).
#include <cstdint>

#include "core/Vector.h"
#include "typology/construction/TypLinBeamSimple.h"

class TypLinBeamSimplePos : public TypLinBeamSimple {
public:
    TypLinBeamSimplePos(const Line& line, const Extrusion& extrusion, const Matrix44& placement, Desc* context,
                        uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypLinBeamSimplePos", then TypLinBeamSimple's.
    void declareParameters(ParameterList& list) override;
    const Matrix44* localTransform() const override { return &placement; }
    // The traversal with the context's model and model-view matrices carrying
    // the placement; both are restored afterwards. (Desc::computeDepth
    // already combines the model-view matrix with localTransform().)
    void draw(RenderContext& ctx) override;

    Matrix44 placement;

    static const ClassName kClassName;
};
