#include "typology/construction/TypLinBanister.h"

#include <algorithm>
#include <cmath>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypLinBanisterCross.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinPanelSloping.h"

const ClassName TypLinBanister::kClassName{"TypLinBanister"};

namespace {
const char* const kVariantNames[] = {"Simple", "Cross"};
const uint8_t kVariantValues[] = {0, 1};
// The automatic choice skips this many values of the context's generator.
constexpr int kSkippedDraws = 5;
// Percent of automatic choices that stay simple.
constexpr int kSimplePercent = 90;
}  // namespace

TypLinBanister::TypLinBanister(const Line& line_, const Extrusion& extrusion_, Desc* context_, uint32_t seed_,
                               const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName) {}

const ClassName& TypLinBanister::className() const { return kClassName; }

void TypLinBanister::declareParameters(ParameterList& list) {
    list.addHeading(className().name);
    list.setVariants(kVariantNames, 2, kVariantValues, &variant);
    LinearConstruction::declareParameters(list);
}

int32_t TypLinBanister::chooseKind(const Desc* context_, float length) {
    RandomGenerator own;
    own.seed(context_ ? static_cast<int32_t>(context_->seed) : 0);
    for (int i = 0; i < kSkippedDraws; ++i)
        own.next();
    const double r = own.uniform();
    if (static_cast<int>(std::trunc(r * 100)) < kSimplePercent || length > kMaxCrossLength)
        return kSimple;
    return kCross;
}

std::unique_ptr<LinearConstruction> TypLinBanister::createBanister(int32_t kind, const Line& line_,
                                                                   const Extrusion& extrusion_, Desc* context_,
                                                                   uint32_t seed_, const char* materialName) {
    if (kind == kAutomatic)
        kind = chooseKind(context_, line_.length());
    switch (kind) {
    case kSimple:
        return std::make_unique<TypLinBanister>(line_, extrusion_, context_, seed_, materialName);
    case kCross:
        return std::make_unique<TypLinBanisterCross>(line_, extrusion_, context_, seed_, materialName);
    default:
        return nullptr;
    }
}

Drawable* TypLinBanister::createVariant(int index) {
    return createBanister(index, line, extrusion, context, seed, material->textureName()).release();
}

Poly TypLinBanister::postSquare(const Line& l, float s) {
    const float length = l.length();
    if (!(length > 0))
        return Poly();
    const Vec2 u = l.segment().direction() * (1.0f / length);
    const Vec2 n = u.perpendicular();
    const Vec2 a = Vec2(l.x0, l.y0) + u * s;
    const Vec2 b = a + u * kRail;
    const float h = l.width * 0.5f;
    // Right side forwards, left side back: the positive orientation.
    Poly p;
    for (const Vec2& v : {a - n * h, a + n * h, b + n * h, b - n * h})
        p.addPoint(Point{v.x, v.y, 0});
    return p;
}

float TypLinBanister::levelAt(float) const { return extrusion.level; }

void TypLinBanister::addRail(float above) {
    const auto railSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const char* name = material->textureName();
    const float start = levelAt(0), end = levelAt(line.length());
    if (start == end) {
        addChild(std::make_unique<TypLinBeamSimple>(line, Extrusion{start + above, kRail}, context, railSeed, name));
        return;
    }
    addChild(std::make_unique<TypLinPanelSloping>(line, Extrusion{start + above, kRail}, Extrusion{end + above, kRail},
                                                  context, railSeed, name));
}

// A pillar on the post square s metres along, from `above` over the floor
// there up to the foot of the top rail.
void TypLinBanister::addPost(float s, float above) {
    const auto postSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const float floor = levelAt(s + kRail * 0.5f);
    addChild(std::make_unique<TypConPillarSimple>(postSquare(line, s),
                                                  Extrusion{floor + above, extrusion.height - kRail - above}, context,
                                                  postSeed, material->textureName()));
}

// A bar between the rails from s0 to s1 metres along, rising or falling.
void TypLinBanister::addBar(float s0, float s1, bool rising) {
    const auto barSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
    const float length = line.length();
    const float low = kBottomRail + kRail, high = extrusion.height - 2 * kRail;
    Line bar = line.subLine(s0 / length, s1 / length);
    bar.crossings.clear();
    bar.width = line.width * 0.5f;
    const Extrusion start{levelAt(s0) + (rising ? low : high), kRail};
    const Extrusion end{levelAt(s1) + (rising ? high : low), kRail};
    addChild(std::make_unique<TypLinPanelSloping>(bar, start, end, context, barSeed, material->textureName()));
}

std::unique_ptr<TypLinBanister> TypLinBanister::piece(const Line& part, float, float, uint32_t pieceSeed) const {
    return std::make_unique<TypLinBanister>(part, extrusion, context, pieceSeed, material->textureName());
}

void TypLinBanister::generatePieces(int count) {
    const float length = line.length();
    for (int k = 0; k < count && !tooManyChildren(); ++k) {
        const auto pieceSeed = static_cast<uint32_t>(RandomGenerator::generation().next());
        const float t0 = static_cast<float>(k) / static_cast<float>(count);
        const float t1 = static_cast<float>(k + 1) / static_cast<float>(count);
        Line part = line.subLine(t0, t1);
        part.crossings.clear();
        addChild(piece(part, t0 * length, t1 * length, pieceSeed));
    }
}

void TypLinBanister::generateBars(bool cross) {
    const float length = line.length();
    // Too many balusters for one description: equal pieces, each a banister
    // of its own with its rails and posts.
    if (!cross && std::isfinite(length) && std::trunc((length - kRail) * 5) > Desc::kMaxChildren - 4) {
        generatePieces(static_cast<int>(std::min(std::ceil(length / kMaxPieceLength), 1.0f + Desc::kMaxChildren)));
        return;
    }
    addRail(extrusion.height - kRail);
    addRail(kBottomRail);
    if (!(length >= kMinPostLength) || !std::isfinite(length))
        return;
    addPost(0, 0);
    addPost(length - kRail, 0);
    if (cross) {
        const float sixth = length / 6.0f;
        addPost(2 * sixth - kRail * 0.5f, 0);
        addPost(4 * sixth - kRail * 0.5f, 0);
        for (int third = 0; third < 3; ++third) {
            addBar(2 * third * sixth, 2 * (third + 1) * sixth, true);
            addBar(2 * third * sixth, 2 * (third + 1) * sixth, false);
        }
        return;
    }
    const float span = length - kRail;
    const int n = static_cast<int>(std::trunc(span * 5));
    if (n <= 0)
        return;
    const float step = span / static_cast<float>(n + 1);
    for (int k = 1; k <= n; ++k)
        addPost(k * step, kBalusterFoot);
}

void TypLinBanister::generate() { generateBars(false); }
