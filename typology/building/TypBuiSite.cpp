#include "typology/building/TypBuiSite.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "core/DescPolyLand.h"
#include "core/DrawableTerrainPoly.h"
#include "core/Line.h"
#include "core/PolyClip.h"
#include "core/RandomGenerator.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"
#include "core/Terrain.h"
#include "typology/building/TypBuiTreeLine.h"

const ClassName TypBuiSite::kClassName{"TypBuiSite"};

TypBuiSite::TypBuiSite(const Poly& poly_, const Extrusion& extrusion_, DescPolyLand* ownerPlot_, uint32_t seed_,
                       const char* materialName, float overHeight_)
    : TypBui(poly_, extrusion_, ownerPlot_, seed_, materialName, nullptr), overHeight(overHeight_) {}

const ClassName& TypBuiSite::className() const { return kClassName; }

void TypBuiSite::declareParameters(ParameterList& list) {
    list.addHeading(kClassName.name);
    list.addFloat("Over height", &overHeight, {0.0, 1000.0});
    TypBui::declareParameters(list);
}

void TypBuiSite::fitToTerrain() { fitTo(plotTerrain(), overHeight); }

void TypBuiSite::drawPlotShape(RenderContext& ctx, Material* mainMaterial) {
    if (const Terrain* land = plotTerrain())
        ctx.terrainPolygon(poly, land, DescPolyLand::kSkirtDepth, mainMaterial);
    else
        TypBui::drawPlotShape(ctx, mainMaterial);
}

namespace {
bool streetEdge(uint8_t kind) { return kind == 1 || kind == 8; }
}  // namespace

void TypBuiSite::generate() {
    RandomGenerator& random = RandomGenerator::generation();
    const int n = poly.count();
    std::vector<float> distances(n, 0.0f);
    bool anyStreet = false;
    for (int i = 0; i < n; ++i)
        if (streetEdge(poly[i].limit)) {
            distances[i] = -kTreeLineInset;
            anyStreet = true;
        }
    // A site too narrow to inset keeps no tree lines rather than crossed ones.
    if (anyStreet && poly.canInset(distances)) {
        const Poly inner = poly.inset(distances);
        for (int i = 0; i < inner.count(); ++i) {
            if (tooManyChildren())
                break;
            const Segment s = inner.edge(i);
            if (!streetEdge(s.limit))
                continue;
            const Poly strip = Line(s.x0, s.y0, s.x1, s.y1, kTreeLineWidth, s.limit).outline();
            const auto lineSeed = static_cast<uint32_t>(random.next());
            if (strip.count() != 4)
                continue;
            auto line = std::make_unique<TypBuiTreeLine>(strip, Extrusion{0.0f, overHeight}, ownerPlot, lineSeed,
                                                         "Wood1", overHeight);
            line->fitTo(plotTerrain(), overHeight);
            addChild(std::move(line));
        }
    }

    auto addGround = [&](const Poly& piece) {
        const auto groundSeed = static_cast<uint32_t>(random.next());
        addChild(std::make_unique<DrawableTerrainPoly>(piece, plotTerrain(), DescPolyLand::kSkirtDepth, groundSeed,
                                                       mainMaterialCopy()));
    };
    if (poly.area() < kSinglePieceArea) {
        addGround(poly);
        return;
    }
    const float side = 2.0f * radius;
    const float tile = std::max(side / kTilesAcross, kMinTileSide);
    const int tiles = std::max(1, static_cast<int>(std::ceil(side / tile - 1e-4f)));
    ClipPolygon site;
    site.add(poly, false);
    for (int row = 0; row < tiles; ++row)
        for (int column = 0; column < tiles; ++column) {
            if (tooManyChildren())
                return;
            const float x0 = centre.x - radius + column * tile, y0 = centre.z - radius + row * tile;
            ClipPolygon square;
            square.add(Poly({{x0, y0}, {x0, y0 + tile}, {x0 + tile, y0 + tile}, {x0 + tile, y0}}), false);
            const ClipPolygon pieces = clipPolygons(ClipOp::Intersection, square, site, nullptr, &poly);
            for (size_t k = 0; k < pieces.contours.size(); ++k)
                if (!pieces.holes[k])
                    addGround(pieces.contours[k]);
        }
}
