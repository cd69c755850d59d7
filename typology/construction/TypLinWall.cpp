#include "typology/construction/TypLinWall.h"

#include <cmath>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSimple.h"

const ClassName TypLinWall::kClassName{"TypLinWall"};

namespace {
const char* const kVariantNames[] = {"Wall simple", "Portico"};
const uint8_t kVariantValues[] = {0, 1};
const char* const kSectionsNames[] = {"Simple"};
const int32_t kSectionsValues[] = {0};
const char* const kOpeningsNames[] = {"Empty", "Simple", "Banister", "Balcony"};
const int32_t kOpeningsValues[] = {0, 1, 2, 3};
// Below this sine a crossing runs along the line.
constexpr float kMinSine = 0.0001f;
}  // namespace

TypLinWall::TypLinWall(const Line& line_, const Extrusion& extrusion_, Desc* context_, int32_t sectionsKind_,
                       int32_t openingsKind_, uint32_t seed_, const char* materialName)
    : LinearConstruction(line_, extrusion_, context_, seed_, materialName), sectionsKind(sectionsKind_),
      openingsKind(openingsKind_) {}

const ClassName& TypLinWall::className() const { return kClassName; }

void TypLinWall::declareWallEntries(ParameterList& list, uint8_t* variant_, int32_t* sections, int32_t* openings) {
    list.setVariants(kVariantNames, 2, kVariantValues, variant_);
    list.addIntChoice("Sections", kSectionsNames, 1, kSectionsValues, sections);
    list.addIntChoice("Openings", kOpeningsNames, 4, kOpeningsValues, openings);
}

LinearConstruction* TypLinWall::make(int kind, const Line& line_, const Extrusion& extrusion_, Desc* context_,
                                     int32_t sections, int32_t openings, uint32_t seed_, const char* materialName) {
    switch (kind) {
    case 0:
        return new TypLinWallSimple(line_, extrusion_, context_, sections, openings, seed_, materialName);
    case 1:
        return new TypLinPortico(line_, extrusion_, context_, sections, openings, seed_, materialName);
    default:
        return nullptr;
    }
}

Drawable* TypLinWall::createVariant(int index) {
    return make(index, line, extrusion, context, sectionsKind, openingsKind, seed, material->textureName());
}

std::vector<Line> TypLinWall::pieces(const Line& line) {
    std::vector<Line> out;
    float prev = 0;
    for (const Crossing& c : line.crossings)
        if (cuts(c) && c.t < 1) {
            out.push_back(line.subLine(prev, c.t));
            prev = c.t;
        }
    out.push_back(line.subLine(prev, 1));
    return out;
}

Line TypLinWall::openingAt(const Line& line, const Crossing& c) {
    const Vec2 centre = line.pointAt(c.t);
    const float length = line.length();
    const Vec2 u = length > 0 ? (line.segment().direction() * (1.0f / length)) : Vec2(0, 0);
    const float sine = std::fabs(std::sin(c.beforeAngle));
    const float half = c.beforeWidth / (2 * (std::isfinite(sine) && sine >= kMinSine ? sine : 1.0f));
    const Vec2 a = centre - u * half, b = centre + u * half;
    Line opening(a.x, a.y, b.x, b.y, line.width, c.limit);
    Crossing end;
    end.kind = 2;
    end.beforeAngle = end.afterAngle = c.beforeAngle;
    end.limit = c.limit;
    end.t = 0;
    opening.crossings.push_back(end);
    end.t = 1;
    opening.crossings.push_back(end);
    return opening;
}
