#include "typology/building/TypBuiTreeLine.h"

#include <algorithm>
#include <memory>

#include "core/Assert.h"
#include "core/ParameterList.h"
#include "core/RandomGenerator.h"
#include "core/Terrain.h"
#include "typology/building/TypTree.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypLinBanister.h"

const ClassName TypBuiTreeLine::kClassName{"TypBuiTreeLine"};

TypBuiTreeLine::TypBuiTreeLine(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_,
                               uint32_t seed_, const char* materialName, float treeHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), treeHeight(treeHeight_) {
    // Nothing shows until the trees exist (see drawPlotShape).
    ownShapeShowsNothing();
}

const ClassName& TypBuiTreeLine::className() const { return kClassName; }

void TypBuiTreeLine::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Tree height", &treeHeight, {0.0, 100.0});
    TypBui::declareParameters(list);
}

void TypBuiTreeLine::drawPlotShape(RenderContext&, Material*) {}

int TypBuiTreeLine::firstEnd(const Poly& strip) {
    CALLI_ASSERT(strip.count() == 4);
    // The strip's ends are its shorter pair of opposite edges.
    const float even = strip.edge(0).length() + strip.edge(2).length();
    const float odd = strip.edge(1).length() + strip.edge(3).length();
    return even <= odd ? 0 : 1;
}

Segment TypBuiTreeLine::centreLine(const Poly& strip) {
    const int first = firstEnd(strip);
    const Vec2 a = strip.edge(first).pointAt(0.5f), b = strip.edge(first + 2).pointAt(0.5f);
    return {a.x, a.y, b.x, b.y, 0};
}

float TypBuiTreeLine::treeScale(float treeHeight) {
    return std::clamp(treeHeight / kHeightPerScale, kMinScale, kMaxScale);
}

void TypBuiTreeLine::generate() {
    CALLI_ASSERT(poly.count() == 4);
    RandomGenerator& random = RandomGenerator::generation();
    const Terrain* land = plotTerrain();
    const Segment centre = centreLine(poly);
    const float length = centre.length();
    const float scale = treeScale(treeHeight);
    if (length > 0) {
        float at = static_cast<float>(random.range(kFirstMin, kFirstMax));
        while (at <= length - kEndClearance) {
            if (tooManyChildren())
                break;
            const Vec2 p = centre.pointAt(at / length);
            addChild(std::make_unique<TypTree>(p.x, p.y, scale, treeHeight, land, random));
            at += static_cast<float>(random.range(kSpacingMin, kSpacingMax));
        }
    }

    float low = extrusion.level, high = extrusion.level;
    if (land)
        land->range(poly, low, high);
    // The bed stands kKerbHeight above the strip's mean ground; where the
    // ground rises above that, it runs into the slope.
    const float top = 0.5f * (low + high) + kKerbHeight;
    const auto railSeed = static_cast<uint32_t>(random.next());
    if (auto rail = TypLinBanister::createBanister(TypLinBanister::kAutomatic, kerbLine(poly),
                                                   Extrusion{top, kRailHeight}, this, railSeed, kRailMaterial))
        addChild(std::move(rail));
    const auto bedSeed = static_cast<uint32_t>(random.next());
    addChild(std::make_unique<TypConSlabSimple>(poly, Extrusion{low, top - low}, this, bedSeed, mainMaterialName()));
}

Line TypBuiTreeLine::kerbLine(const Poly& strip) {
    const Segment centre = centreLine(strip);
    // The long edge after the centre line's first end, moved onto the bed.
    const Segment side = strip.edge(firstEnd(strip) + 1);
    const Vec2 middle = side.pointAt(0.5f);
    Vec2 inward = centre.pointAt(0.5f) - middle;
    const float across = inward.length();
    inward = across > 2 * kRailInset ? inward * (kRailInset / across) : Vec2();
    return Line(side.x0 + inward.x, side.y0 + inward.y, side.x1 + inward.x, side.y1 + inward.y, kRailWidth);
}
