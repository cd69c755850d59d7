#include "typology/building/TypBuiStalls.h"

#include <memory>

#include "core/Assert.h"
#include "core/DescPolyLand.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"
#include "typology/building/TypRooStall.h"
#include "typology/construction/TypConStreet.h"

const ClassName TypBuiStalls::kClassName{"TypBuiStalls"};

TypBuiStalls::TypBuiStalls(const Poly& poly_, const Extrusion& extrusion_, const Terrain* terrain_,
                           DescPolyLand* ownerPlot_, uint32_t seed_, const char* materialName,
                           const char* wallMaterialName, float stallHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, wallMaterialName), terrain(terrain_),
      stallHeight(stallHeight_) {}

const ClassName& TypBuiStalls::className() const { return kClassName; }

void TypBuiStalls::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Stall height", &stallHeight, {0.5, 10.0});
    TypBui::declareParameters(list);
}

void TypBuiStalls::drawPlotShape(RenderContext& ctx, Material* mainMaterial) {
    if (terrain)
        ctx.terrainPolygon(poly, terrain, DescPolyLand::kSkirtDepth, mainMaterial);
    else
        TypBui::drawPlotShape(ctx, mainMaterial);
}

float TypBuiStalls::stallWidth(float remaining, float drawn) { return remaining - kMinWidth < drawn ? remaining : drawn; }

void TypBuiStalls::generate() {
    CALLI_ASSERT(poly.count() == 4);
    RandomGenerator& random = RandomGenerator::generation();
    const Segment front = poly.edge(1);
    const float frontLength = front.length();
    if (!(frontLength > 0))
        return;
    const Vec2 along = front.direction() * (1.0f / frontLength);
    const Segment back = poly.edge(3);
    Poly rest = poly;
    float remaining = frontLength;
    while (remaining > 0) {
        if (tooManyChildren())
            break;
        const float width = stallWidth(remaining, static_cast<float>(random.range(kMinWidth, kMaxWidth)));
        Poly stall;
        if (width >= remaining) {
            stall = rest;
            remaining = 0;
        } else {
            // The starting cross line moved along the front by the width,
            // meeting the front and the back.
            const Vec2 p1 = rest[1].vec() + along * width;
            const Segment cross{rest[0].x + along.x * width, rest[0].y + along.y * width, p1.x, p1.y, 0};
            Vec2 p0;
            if (intersect(cross, back, p0) == kIntersectParallel)
                p0 = cross.start();
            stall = Poly({rest[0], rest[1], {p1.x, p1.y, rest[2].limit}, {p0.x, p0.y, rest[3].limit}});
            rest[0] = {p0.x, p0.y, rest[0].limit};
            rest[1] = {p1.x, p1.y, rest[1].limit};
            remaining -= width;
        }
        const float height = static_cast<float>(random.range(0.75, 1.0)) * stallHeight;
        const auto stallSeed = static_cast<uint32_t>(random.next());
        auto room = std::make_unique<TypRooStall>(stall, Extrusion{0.0f, height}, this, terrain, stallSeed,
                                                  mainMaterialName());
        TypConStreet::fit(*room, terrain, height);
        addChild(std::move(room));
    }
}
