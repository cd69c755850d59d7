#include "typology/building/TypRooStall.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/Assert.h"
#include "core/Material.h"
#include "core/Model.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "typology/building/TypBui.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/construction/TypConStreet.h"
#include "typology/construction/TypLinPanelSimple.h"
#include "typology/construction/TypLinPortico.h"

const ClassName TypRooStall::kClassName{"TypRooStall"};

TypRooStall::TypRooStall(const Poly& poly_, const Extrusion& extrusion_, TypBui* owner, const Terrain* terrain_,
                         uint32_t seed_, const char* materialName)
    : TypRoo(poly_, extrusion_, owner, seed_, materialName), terrain(terrain_) {}

const ClassName& TypRooStall::className() const { return kClassName; }

void TypRooStall::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    TypRoo::declareParameters(list);
}

void TypRooStall::generate() {
    CALLI_ASSERT(poly.count() == 4);
    RandomGenerator& random = RandomGenerator::generation();
    const float level = extrusion.level, top = extrusion.level + extrusion.height;
    auto ground = [&](const Vec2& p) { return terrain ? terrain->height(p) : level; };

    // Floor: paving over the stall.
    const auto floorSeed = static_cast<uint32_t>(random.next());
    auto floor = std::make_unique<TypBuiStreet>(poly, Extrusion{0.0f, kFloorOverHeight}, terrain,
                                                ownerBuilding ? ownerBuilding->ownerPlot : nullptr, floorSeed,
                                                ownerBuilding ? ownerBuilding->mainMaterialName() : nullptr);
    floor->fitTo(terrain, kFloorOverHeight);
    addChild(std::move(floor));

    // Frame: on the inset outline, canvas screens on the sides (edges 0 and
    // 2) under wooden beams, counters along the front and the back (edges 1
    // and 3), each line drawn inside the outline by half its thickness.
    std::vector<float> inward(4, -kFrameInset);
    const Poly frame = poly.canInset(inward) ? poly.inset(inward) : poly;
    for (int i = 0; i < 4; ++i) {
        const bool side = i % 2 == 0;
        const float thickness = side ? kScreenWidth : kCounterDepth;
        const Segment e = frame.edge(i).offset(-thickness / 2);
        const Line line(e.x0, e.y0, e.x1, e.y1, thickness, frame[i].limit);
        const auto elementSeed = static_cast<uint32_t>(random.next());
        if (side) {
            const Extrusion screen{level, std::max(top - kClearance - level, 0.0f)};
            addChild(std::make_unique<TypLinPortico>(line, screen, this, 0, 0, elementSeed, "Wood1"));
        } else {
            const Vec2 middle = e.pointAt(0.5f);
            const float counterTop = std::min(ground(middle) + kCounterHeight, top - kClearance);
            addChild(std::make_unique<TypLinPanelSimple>(line, Extrusion{level, std::max(counterTop - level, 0.0f)},
                                                         this, elementSeed, "Wood1"));
        }
    }

    // Canopy: over the stall's top, its valance along the front.
    static const char* const kCanopies[2] = {"Canopy1", "Canopy2"};
    const char* canopy = kCanopies[static_cast<int>(2 * random.uniform())];
    const auto canopySeed = static_cast<uint32_t>(random.next());
    const Segment front = poly.edge(1), back = poly.edge(3);
    const float width = front.length();
    const Vec2 centre = poly.centroid();
    const float depth = std::max(std::fabs(front.signedDistance(back.pointAt(0.5f))), 0.1f);
    // Model x along the front; model z, towards the valance, is then the
    // front's left normal, which points out of the stall.
    const Matrix44 place = TypBuiStreet::modelPlacement(centre, top, front.direction(), width / 2, 1.0f,
                                                        depth / 1.5f);
    auto model = std::make_unique<DrawableModel>(canopy, place, canopySeed, canopy);
    model->material->mapping = mapping::kHorizontal;
    model->material->referenceEdge = 3;
    addChild(std::move(model));
}
