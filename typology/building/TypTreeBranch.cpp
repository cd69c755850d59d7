#include "typology/building/TypTreeBranch.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/RandomGenerator.h"
#include "typology/construction/Construction.h"

const ClassName TypTreeBranch::kClassName{"TypTreeBranch"};

namespace {
constexpr float kPi = 3.14159265f;
constexpr float kTilt = kPi / 4;

// The branch's footprint in the plane with its extrusion between the lower
// and upper end, as the base class keeps it.
Line planLine(const Vector& base, const Vector& tip, float radius) {
    return Line(base.x, base.z, tip.x, tip.z, 2 * radius);
}

Extrusion heightRange(const Vector& base, const Vector& tip) {
    return Extrusion{std::min(base.y, tip.y), std::fabs(tip.y - base.y)};
}
}  // namespace

TypTreeBranch::TypTreeBranch(int depth_, float length_, float radius_, const Vector& base_, const Matrix44& frame_,
                             uint32_t seed_)
    : DescLine(planLine(base_, base_ + Vector{frame_(0, 2), frame_(1, 2), frame_(2, 2)} * length_, radius_),
               heightRange(base_, base_ + Vector{frame_(0, 2), frame_(1, 2), frame_(2, 2)} * length_), seed_,
               "wood1"),
      depth(depth_), length(length_), radius(radius_), base(base_), frame(frame_) {
    frame(0, 3) = frame(1, 3) = frame(2, 3) = 0;
    computeBranchBounds();
}

const ClassName& TypTreeBranch::className() const { return kClassName; }

void TypTreeBranch::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    Desc::declareParameters(list);
}

void TypTreeBranch::computeBranchBounds() {
    // A child starts at the tip and its own subtree reaches at most
    // 1.35 * 0.7 L / (1 - 0.7) < 2.4 L from there; the prism stays within L.
    centre = tip();
    Desc::radius = size = 2.4f * length + radius;
}

Poly TypTreeBranch::section() const {
    const int n = depth == 0 ? 6 : 3;
    Poly p;
    for (int k = 0; k < n; ++k) {
        const float a = -2 * kPi * static_cast<float>(k) / static_cast<float>(n);
        p.append(Point{std::sin(a) * radius, std::cos(a) * radius, 0});
    }
    // Corners at falling angles run against the plane's positive turn.
    p.orient();
    return p;
}

Matrix44 TypTreeBranch::placement() const {
    Matrix44 m;
    const Vector x = axis(0), y = axis(1), z = axis(2);
    const Vector columns[3] = {x, z, y * -1.0f};
    for (int c = 0; c < 3; ++c) {
        m(0, c) = columns[c].x;
        m(1, c) = columns[c].y;
        m(2, c) = columns[c].z;
    }
    m(0, 3) = base.x;
    m(1, 3) = base.y;
    m(2, 3) = base.z;
    return m;
}

Matrix44 TypTreeBranch::turned(const Matrix44& f, int k, float angle) {
    // Rotation about local axis k, applied in the frame's own coordinates.
    const int a = (k + 1) % 3, b = (k + 2) % 3;
    const float c = std::cos(angle), s = std::sin(angle);
    Matrix44 r;
    r(a, a) = c;
    r(a, b) = -s;
    r(b, a) = s;
    r(b, b) = c;
    return f * r;
}

std::unique_ptr<DrawablePolyExtrudedP> TypTreeBranch::makePrism(uint32_t prismSeed) const {
    return std::make_unique<DrawablePolyExtrudedP>(section(), Extrusion{0.0f, kPrismLength * length}, placement(),
                                                   prismSeed,
                                                   Construction::leafMaterial("wood1", mapping::kVertical, 3));
}

DrawablePolyExtrudedP& TypTreeBranch::ownPrism() {
    // The branch's own seed: drawing it must not take a draw from generation.
    if (!prism_)
        prism_ = makePrism(seed);
    return *prism_;
}

void TypTreeBranch::drawOwnShape(RenderContext& ctx) {
    DrawablePolyExtrudedP& prism = ownPrism();
    ctx.drawPlaced(prism.placement, [&] { prism.draw(ctx); });
}

void TypTreeBranch::renderOwnShape(RenderContext& ctx) { ownPrism().render(ctx); }

void TypTreeBranch::childrenReleased() {
    prism_.reset();
    DescLine::childrenReleased();
}

void TypTreeBranch::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    const auto drawableSeed = static_cast<uint32_t>(random.next());
    addChild(makePrism(drawableSeed));
    if (depth >= kMaxDepth)
        return;

    const int count = static_cast<int>(random.range(2, 4.99));
    const float step = 2 * kPi / static_cast<float>(count);
    const Vector from = tip();
    float turn = 0;
    for (int i = 0; i < count; ++i) {
        turn += step;
        const float jitter = static_cast<float>(random.range(-0.2, 0.2));
        // Turned about the growth axis, then tilted away from it.
        Matrix44 child = turned(frame, 2, turn + jitter);
        child = turned(child, 1, kTilt);
        child = turned(child, 1, static_cast<float>(random.range(-0.05, 0.05)));
        child = turned(child, 2, static_cast<float>(random.range(-0.1, 0.1)));
        const float childRadius = static_cast<float>(random.range(0.6, 0.8)) * radius;
        const float childLength = static_cast<float>(random.range(0.5, 0.7)) * length;
        const Vector growth{child(0, 2), child(1, 2), child(2, 2)};
        const Vector childBase = from - growth * (kChildSink * radius);
        const auto childSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<TypTreeBranch>(depth + 1, childLength, childRadius, childBase, child, childSeed));
    }
}
