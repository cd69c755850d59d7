#pragma once
// The town: a piece of the municipality cut off by its streets, living in a
// local frame of its own. Its polygon is stored relative to its first point
// (which is therefore (0, 0)); its transform places it in the municipality's
// (world) coordinates, and everything below it (quarters, blocks, estates,
// buildings) works in its local coordinates on the town's own land reference.
// TypTow holds the frame; TypTowIrregular adds the parameters and the split
// into quarters along winding streets.
#include <cstdint>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/Terrain.h"

class TypMun;

class TypTow : public DescPolyLand {
public:
    // Added to the bounding radius so the town's own shape is never culled a
    // hair too early.
    static constexpr float kRadiusMargin = 0.7f;

    // poly in local coordinates; nodes: the municipality's nodes at each
    // point (not owned); transform: local frame -> municipality coordinates;
    // parentLand: the municipality's land reference (not owned, may be null:
    // flat ground); parentMunicipality: not owned, may be null.
    TypTow(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Matrix44& transform,
           const Terrain* parentLand, TypMun* parentMunicipality, uint32_t seed, const char* materialName);

    const ClassName& className() const override;
    // Heading "TypTow" (no parameters of its own), then DescPolyLand's.
    void declareParameters(ParameterList& list) override;
    const Matrix44* localTransform() const override { return &transform; }
    // The traversal with the context's model and model-view matrices carrying
    // the transform; both are restored afterwards. (Desc::computeDepth already
    // combines the model-view matrix with localTransform().)
    void draw(RenderContext& ctx) override;
    // from and to are in the parent's (world) coordinates; the children are
    // asked in the town's local coordinates.
    bool collides(const Vector& from, const Vector& to) const override;

    TypMun* parentMunicipality = nullptr;  // not owned: reaches the population field
    Matrix44 transform;                    // local frame -> municipality coordinates
    Terrain land;  // owned: the parent land's noise, placed by parent placement x transform

    static const ClassName kClassName;
};

class TypTowIrregular : public TypTow {
public:
    // quarterArea in square metres; winding in radians; widths: one per point, copied.
    TypTowIrregular(const Poly& poly, std::vector<GraphNode*> nodes, float overHeight, const Matrix44& transform,
                    const Terrain* parentLand, TypMun* parentMunicipality, uint32_t seed,
                    const char* materialName, float quarterArea, float winding, std::vector<float> widths);

    const ClassName& className() const override;
    // Heading "TypTowIrregular", "Quarter area", float choice "Winding (angle)", then TypTow's.
    void declareParameters(ParameterList& list) override;
    // Quarters along a recursive street split (every cut accepted), then one
    // DrawableGraph showing the streets.
    void generate() override;

    std::vector<float> widths;  // owned: street width of the edge starting at each point, metres
    float quarterArea = 0;      // "Quarter area", square metres
    float winding = 0;          // "Winding (angle)", radians

    static const ClassName kClassName;
};
