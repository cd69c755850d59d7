// The estates of the world's central town: collapse and regrowth give the
// same children, and one sweep down to the buildings finds valid polygons
// whose areas add up.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/RandomGenerator.h"
#include "typology/World.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypBuiSite.h"
#include "typology/building/TypBuiStreet.h"
#include "typology/town/TypBloIrregular.h"
#include "typology/town/TypEst.h"
#include "typology/town/TypMunIrregular.h"
#include "typology/town/TypQuaIrregular.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/town/TypTowIrregular.h"

#include "../TypologyTestSupport.h"

namespace {

struct WorldTown {
    std::unique_ptr<TypRegIrregular> root;
    TypTowIrregular* town = nullptr;
};

// The world's town at the centre of the municipality, where the population
// is densest, refined into its quarters.
WorldTown worldCentralTown() {
    WorldTown w;
    w.root = buildWorld();
    w.town = centralTown(*w.root);
    EXPECT_NE(w.town, nullptr);
    if (!w.town) {
        w.town = childrenOf<TypTowIrregular>(*static_cast<Desc*>(w.root->child(0))).front();
        w.town->refine(kModelView);
    }
    return w;
}

}  // namespace

TEST(EstateWorld, CollapseAndRefineGiveIdenticalChildren) {
    WorldTown w = worldCentralTown();
    int checked = 0, courts = 0;
    for (auto* quarter : childrenOf<TypQuaIrregular>(*w.town)) {
        quarter->refine(kModelView);
        for (auto* block : childrenOf<TypBloIrregular>(*quarter)) {
            block->refine(kModelView);
            for (auto* estate : childrenOf<TypEst>(*block)) {
                if (checked >= 40)
                    break;
                // Draw something in between, as other refinements would.
                RandomGenerator::generation().seed(static_cast<int32_t>(checked * 31 + 7));
                estate->refine(kModelView);
                const auto first = printChildren(*estate);
                estate->releaseChildren();
                estate->refine(kModelView);
                EXPECT_EQ(printChildren(*estate), first);
                courts += dynamic_cast<TypEstCourt*>(estate) != nullptr;
                ++checked;
            }
            if (checked >= 40)
                break;
        }
        if (checked >= 40)
            break;
    }
    EXPECT_EQ(checked, 40);
}

// Refines one whole town of the real world down to the estates' children and
// checks every polygon handed down and the area it covers.
TEST(EstateWorld, SweepOfOneTown) {
    const auto start = std::chrono::steady_clock::now();
    WorldTown w = worldCentralTown();
    const auto townMade = std::chrono::steady_clock::now();
    int quarters = 0, blocks = 0, estates = 0, courtEstates = 0, buildings = 0, courts = 0, sites = 0, streets = 0;
    int invalid = 0;
    int badArea = 0;
    int courtSites = 0, triangleSites = 0, interiorSites = 0, yards = 0;
    double courtSiteArea = 0, courtEstateArea = 0;
    auto checkArea = [&](const DescPoly& parent, const char* what) {
        const float a = parent.poly.area();
        const float sum = childArea(parent);
        if (std::fabs(sum - a) > 0.01f * a) {
            ++badArea;
            ADD_FAILURE() << what << " seed " << parent.seed << ": children cover " << sum << " of " << a;
        }
    };
    auto checkValid = [&](const DescPoly& child, const DescPoly& parent) {
        if (!child.poly.isValid()) {
            ++invalid;
            ADD_FAILURE() << child.className().name << " seed " << child.seed << " of " << parent.className().name
                          << " seed " << parent.seed << " has an invalid polygon (" << child.poly.count()
                          << " points, area2 " << child.poly.area2() << ")";
        }
    };
    for (auto* quarter : childrenOf<TypQuaIrregular>(*w.town)) {
        ++quarters;
        quarter->refine(kModelView);
        checkArea(*quarter, "quarter");
        for (auto* block : childrenOf<TypBloIrregular>(*quarter)) {
            ++blocks;
            checkValid(*block, *quarter);
            block->refine(kModelView);
            checkArea(*block, "block");
            for (auto* estate : childrenOf<TypEst>(*block)) {
                ++estates;
                courtEstates += dynamic_cast<TypEstCourt*>(estate) != nullptr;
                checkValid(*estate, *block);
                estate->refine(kModelView);
                checkArea(*estate, "estate");
                for (auto* building : childrenOf<TypBui>(*estate)) {
                    ++buildings;
                    checkValid(*building, *estate);
                    if (auto* court = dynamic_cast<TypBuiCourt*>(building)) {
                        ++courts;
                        EXPECT_TRUE(court->poly.canInset(court->constructionDepth)) << "court seed " << court->seed;
                        EXPECT_GE(court->extrusion.height, 4.0f);
                    }
                    if (dynamic_cast<TypBuiSite*>(building)) {
                        ++sites;
                        if (dynamic_cast<TypEstCourt*>(estate)) {
                            ++courtSites;
                            courtSiteArea += building->poly.area();
                            triangleSites += building->poly.count() == 3;
                            interiorSites += countLimit(building->poly, 0) == building->poly.count();
                            const char* ground = nameOf(*building->material);
                            yards += ground && std::strcmp(ground, "Road_slate") == 0;
                        }
                    }
                    if (dynamic_cast<TypEstCourt*>(estate))
                        courtEstateArea += building->poly.area();
                    streets += dynamic_cast<TypBuiStreet*>(building) != nullptr;
                    building->refine(kModelView);
                }
            }
        }
    }
    const auto end = std::chrono::steady_clock::now();
    const double townMs = std::chrono::duration<double, std::milli>(townMade - start).count();
    const double sweepMs = std::chrono::duration<double, std::milli>(end - townMade).count();
    std::cout << "[ sweep    ] one town: " << quarters << " quarters, " << blocks << " blocks, " << estates
              << " estates (" << courtEstates << " court), " << buildings << " buildings (" << courts
              << " court buildings, " << sites << " sites, " << streets << " street pieces); world to town "
              << townMs << " ms, town down to buildings " << sweepMs << " ms\n";
    std::cout << "[ sweep    ] court estates: " << courtSites << " sites (" << triangleSites << " triangles, "
              << interiorSites << " without a street edge, " << yards << " paved yards), "
              << 100.0 * courtSiteArea / courtEstateArea << " % of their area\n";
    EXPECT_GT(quarters, 1);
    EXPECT_GT(blocks, quarters);
    EXPECT_GT(estates, blocks);
    EXPECT_GT(courts, 0);
    EXPECT_EQ(invalid, 0);
    EXPECT_EQ(badArea, 0);
}
