#include "typology/building/TypRooGable.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/DrawableRoofQuad.h"
#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "typology/building/TypBui.h"
#include "typology/construction/Construction.h"
#include "typology/construction/TypLinBeamSimple.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPanelSloping.h"

const ClassName TypRooGable::kClassName{"TypRooGable"};

namespace {
const char* const kEdgeNames[] = {"Eaves", "Gable top", "Gable overlap", "Gable wall", "Gable overlap reverse"};
const uint8_t kEdgeValues[] = {1, 2, 3, 4, 5};
const LimitNames kEdges{kEdgeNames, kEdgeValues, 5};

// Parameter of p's foot along segment s, within [0, 1].
float footAlong(const Segment& s, const Vec2& p) {
    const Vec2 d = s.direction();
    const float dd = d.dot(d);
    if (!(dd > 0.0f))
        return 0.0f;
    return std::clamp((p - s.start()).dot(d) / dd, 0.0f, 1.0f);
}
}  // namespace

TypRooGable::TypRooGable(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, uint32_t seed_,
                         const char* materialName, const float heights_[4], float projecting_)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), projecting(projecting_) {
    for (int i = 0; i < 4; ++i)
        heights[i] = heights_[i];
}

const ClassName& TypRooGable::className() const { return kClassName; }

const LimitNames& TypRooGable::edgeNames() { return kEdges; }

void TypRooGable::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    declarePoly(poly, list, nullptr, &kEdges);
    list.addFloatArray("Height", heights, 4, {0.0, kMaxHeight});
    list.addFloat("Projecting", &projecting, {0.0, kMaxProjecting});
    TypRoo::declareParameters(list);
}

int TypRooGable::referenceEdge() const {
    for (int i = 0; i < poly.count(); ++i)
        if (poly[i].limit == kEaves)
            return i;
    return -1;
}

float TypRooGable::overhang(int i) const {
    switch (poly[i].limit) {
    case kEaves:
        return projecting != 0.0f ? std::fabs(projecting) : kMinOverhang;
    case kGableTop:
    case kGableWall:
        return kMinOverhang;
    default:
        return 0.0f;
    }
}

void TypRooGable::generate() {
    const int reference = referenceEdge();
    if (poly.count() != 4 || reference < 0) {
        stayCoarse();
        return;
    }
    for (float h : heights)
        if (!std::isfinite(h)) {
            stayCoarse();
            return;
        }
    RandomGenerator& random = RandomGenerator::generation();
    float z[4];
    for (int i = 0; i < 4; ++i)
        z[i] = cornerHeight(i);
    const char* wall = ownerBuilding ? ownerBuilding->wallMaterial.textureName() : nullptr;

    // Every element lies inside its edge by its overhang, its outer face on the edge.
    std::vector<float> distances(4);
    for (int i = 0; i < 4; ++i)
        distances[i] = -overhang(i);
    const bool lines = poly.canInset(distances);
    const Poly inner = lines ? poly.inset(distances) : Poly();
    for (int i = 0; i < 4 && lines; ++i) {
        const float width = 2.0f * overhang(i);
        if (!(width > 0.0f))
            continue;
        const Segment edge = poly.edge(i), along = inner.edge(i);
        Line line(along.x0, along.y0, along.x1, along.y1, width, 0);
        // The heights of the sloping edge above the element's two ends.
        const float ta = footAlong(edge, along.start()), tb = footAlong(edge, along.end());
        const float za = z[i] + ta * (z[(i + 1) % 4] - z[i]), zb = z[i] + tb * (z[(i + 1) % 4] - z[i]);
        const float base = extrusion.level - kPanelDrop;
        const auto elementSeed = static_cast<uint32_t>(random.next());
        switch (poly[i].limit) {
        case kEaves:
            addChild(std::make_unique<TypLinBeamSimple>(
                line, Extrusion{std::min(za, zb) - kSurfaceLift, kBeamHeight}, ownerBuilding, elementSeed, "Wood1"));
            break;
        case kGableTop:
            if (std::fabs(heights[i] - heights[(i + 1) % 4]) <= kLevelGable) {
                addChild(std::make_unique<TypLinPanelSimple>(
                    line, Extrusion{base, std::min(za, zb) - kSurfaceThickness - base}, ownerBuilding, elementSeed,
                    wall));
                break;
            }
            [[fallthrough]];
        case kGableWall:
            addChild(std::make_unique<TypLinPanelSloping>(line, Extrusion{base, za - kSurfaceThickness - base},
                                                          Extrusion{base, zb - kSurfaceThickness - base},
                                                          ownerBuilding, elementSeed, wall));
            break;
        default:
            break;
        }
    }

    const auto surfaceSeed = static_cast<uint32_t>(random.next());
    Construction::attach(*this, std::make_unique<DrawableRoofQuad>(
                                    poly, z, -kSurfaceThickness, surfaceSeed,
                                    Construction::leafMaterial(material->textureName(), mapping::kRotated,
                                                               static_cast<uint8_t>(reference))));
}
