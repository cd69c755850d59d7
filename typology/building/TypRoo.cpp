#include "typology/building/TypRoo.h"

#include <algorithm>

#include "core/Assert.h"
#include "core/ParameterList.h"
#include "core/Terrain.h"
#include "typology/building/TypBui.h"

const ClassName TypRoo::kClassName{"TypRoo"};

namespace {
const char* const kEdgeNames[] = {"Party Wall", "Facade",   "Entry",    "Entry Facade",
                                  "Passing",    "Wall in",  "Wall out", "Corridor"};
const uint8_t kEdgeValues[] = {0, 1, 2, 3, 4, 41, 42, 56};
const LimitNames kEdges{kEdgeNames, kEdgeValues, 8};
const LimitNames kBuildingEdges{kEdgeNames, kEdgeValues, 5};
}  // namespace

TypRoo::TypRoo(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, uint32_t seed_,
               const char* materialName)
    : DescPoly(poly_, 0.0f, seed_, materialName), ownerBuilding(owner) {
    extrusion = extrusion_;
    computeBounds();
}

const ClassName& TypRoo::className() const { return kClassName; }

void TypRoo::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    DescPoly::declareParameters(list);
}

const LimitNames& TypRoo::edgeNames() { return kEdges; }
const LimitNames& TypRoo::buildingEdgeNames() { return kBuildingEdges; }

float TypRoo::groundAt(float x, float y) const {
    if (!ownerBuilding)
        return 0.0f;
    if (const Terrain* land = ownerBuilding->plotTerrain())
        return land->height(x, y);
    return ownerBuilding->extrusion.level;
}

std::vector<Line> TypRoo::wallList(const Poly& room, float thickness) {
    CALLI_ASSERT(room.isValid());
    std::vector<Line> lines;
    lines.reserve(room.count());
    const float piece = std::max(3.0f * thickness, 2.0f);
    for (int i = 0; i < room.count(); ++i) {
        const Segment s = room.edge(i);
        Line line(s.x0, s.y0, s.x1, s.y1, thickness, s.limit);
        line.subdivide(piece, kUndecided);
        lines.push_back(std::move(line));
    }
    return lines;
}
