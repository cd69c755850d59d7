// Values typed into the Properties window that the sweep once found to end
// the program, freeze it or leave numbers that are not finite, and
// descriptions that failed a check on what edits can make. Each goes
// through the window's own edit path.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/Material.h"
#include "core/ParameterList.h"
#include "core/PropertyEdit.h"
#include "typology/building/TypBuiCourt.h"
#include "typology/building/TypRoo.h"
#include "typology/building/TypRooCourtPlan.h"
#include "typology/building/TypRooGable.h"
#include "typology/building/TypRooRoofCourtFlat.h"
#include "typology/construction/TypConFloorTiled.h"
#include "typology/construction/TypConPillarSimple.h"
#include "typology/construction/TypConSlabSimple.h"
#include "typology/construction/TypConStairsStraight.h"
#include "typology/construction/TypLinBanister.h"
#include "typology/construction/TypLinBanisterSloping.h"
#include "typology/construction/TypLinOpening.h"
#include "typology/construction/TypLinPortico.h"
#include "typology/construction/TypLinWallSection.h"

#include "TypologyTestSupport.h"

namespace {

// A 30 x 30 court building with a 6 m wing along every edge, 12 m high.
std::unique_ptr<TypBuiCourt> courtBuilding() {
    auto court = std::make_unique<TypBuiCourt>(rectangle(30, 30, 1), Extrusion{2.0f, 12.0f}, nullptr, 5, "Slate1",
                                               "Brick1", std::vector<float>{-6, -6, -6, -6}, false);
    court->refine(kModelView);
    return court;
}

TypRooCourtPlan* planOf(TypBuiCourt& court) {
    const auto plans = childrenOf<TypRooCourtPlan>(court);
    return plans.empty() ? nullptr : plans.front();
}

// Types text into the entry called name, as the window does; the refusal.
std::string type(Desc& d, const std::string& name, const std::string& text) {
    ParameterList list;
    d.declareParameters(list);
    const int i = list.find(name.c_str());
    EXPECT_GE(i, 0) << name;
    return editProperty(d, list, i, text.c_str());
}

int countOf(const Desc& d, const ClassName& name) {
    int n = 0;
    for (int i = 0; i < d.childCount(); ++i) {
        n += &d.child(i)->className() == &name;
        if (auto* c = dynamic_cast<const Desc*>(d.child(i)))
            n += countOf(*c, name);
    }
    return n;
}

}  // namespace

// Every court point made unbuilt, one by one: the court then no longer
// matches the plot it should be, and the plan stays coarse instead of
// failing its check. A kind no choice names is refused.
TEST(EditedCourtPlan, CourtPointsMadeUnbuiltOneByOneStayCoarse) {
    auto court = courtBuilding();
    TypRooCourtPlan* plan = planOf(*court);
    ASSERT_NE(plan, nullptr);
    const int points = plan->courtPoly.count();
    ASSERT_GT(points, plan->poly.count());
    for (int k = 0; k < points; ++k) {
        const std::string entry = "CourtPoly.p[" + std::to_string(k) + "] limit";
        for (const char* nameless : {"0", "-1", "255", "7"})
            EXPECT_NE(type(*plan, entry, nameless), "") << entry << " " << nameless;
        ASSERT_EQ(type(*plan, entry, "Unedificated"), "") << entry;
        EXPECT_NO_THROW(growAll(*plan)) << entry;
    }
    EXPECT_TRUE(plan->tooManyChildren());
    EXPECT_EQ(plan->childCount(), 0);
}

// "Floors" is bounded by what a plan can hold, and a plan asked for more
// storeys than it holds stops making them once they are refused.
TEST(EditedCourtPlan, FloorsAreBoundedAndSurplusStoreysAreNotMade) {
    auto court = courtBuilding();
    TypRooCourtPlan* plan = planOf(*court);
    ASSERT_NE(plan, nullptr);
    for (const char* text : {"2147483647", "10000000", "257", "-1"})
        EXPECT_NE(type(*plan, "Floors", text), "") << text;
    EXPECT_EQ(type(*plan, "Floors", "256"), "");

    // Past the entry's range, as a generation could still ask.
    plan->floors = 10000000;
    discardGrowth(*plan);
    const long before = Desc::generatedCount;
    plan->refine(kModelView);
    EXPECT_TRUE(plan->tooManyChildren());
    EXPECT_LE(Desc::generatedCount - before, Desc::kMaxChildren + 1);
}

// Wing depths are 0 (unbuilt) or reach inwards; the generator's own are
// taken back, an outward one is refused. So is the stair house's top, which
// once was made with a negative height its own entry refused.
TEST(EditedCourtBuilding, GeneratedDepthsAndHeightsAreTakenBack) {
    auto court = courtBuilding();
    EXPECT_EQ(type(*court, "Construction Depth[0]", "0"), "");
    EXPECT_EQ(type(*court, "Construction Depth[0]", "-6"), "");
    EXPECT_EQ(type(*court, "Construction Depth[1]", "-75"), "");
    for (const char* text : {"5", "1", "-76", "nan"})
        EXPECT_NE(type(*court, "Construction Depth[2]", text), "") << text;
    EXPECT_EQ(court->constructionDepth[2], -6.0f);

    // A closed court gets a flat roof, and with stairs a stair house on it.
    TypBuiCourt closed(rectangle(30, 30, 1), Extrusion{2.0f, 12.0f}, nullptr, 5, "Slate1", "Brick1",
                       {-6, -6, -6, -6}, true);
    growAll(closed);
    const auto roofs = childrenOf<TypRooRoofCourtFlat>(*planOf(closed));
    ASSERT_EQ(roofs.size(), 1u);
    const auto tops = childrenOf<TypConFloorTiled>(*roofs.front());
    ASSERT_EQ(tops.size(), 1u);
    ParameterList list;
    tops.front()->declareParameters(list);
    for (const char* entry : {"Extrusion level", "Extrusion height"}) {
        const Parameter* p = list.record(list.find(entry));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->refusal(p->text()), "") << entry << " " << p->text();
    }
}

// A court building without wings over a plot that crosses itself stays
// coarse, as one with wings does.
TEST(EditedCourtBuilding, SelfIntersectingPlotWithoutWingsStaysCoarse) {
    const Poly bowTie({{0, 0, 1}, {0, 20, 1}, {20, 0, 1}, {20, 20, 1}});
    ASSERT_FALSE(bowTie.isValid());
    TypBuiCourt court(bowTie, Extrusion{0.0f, 12.0f}, nullptr, 5, "Slate1", "Brick1", {0, 0, 0, 0}, false);
    EXPECT_NO_THROW(court.refine(kModelView));
    EXPECT_TRUE(court.tooManyChildren());
    EXPECT_EQ(court.childCount(), 0);
}

// Entries whose huge values gave descriptions of infinite size.
TEST(EditedValues, HugeWidthsHeightsAndCoordinatesAreRefused) {
    auto court = courtBuilding();
    TypRooCourtPlan* plan = planOf(*court);
    ASSERT_NE(plan, nullptr);
    for (const char* text : {"-1", "1e30", "-1e30", "0"})
        EXPECT_NE(type(*plan, "Wall width", text), "") << text;
    for (const char* entry : {"CourtPoly.p[0] X", "CourtPoly.p[0] Y"})
        for (const char* text : {"1e30", "-1e30", "31", "-1"})
            EXPECT_NE(type(*plan, entry, text), "") << entry << " " << text;
    EXPECT_EQ(type(*plan, "CourtPoly.p[0] X", "7"), "");

    // The polygon editor's rebuild may not put a point out of reach.
    ParameterList list;
    plan->declareParameters(list);
    const int editor = list.find("POLY <Edition>");
    ASSERT_GE(editor, 0);
    auto* polygon = static_cast<PolygonEditParameter*>(list.record(editor));
    const Poly old = plan->courtPoly;
    polygon->lengths()[1] = 1e30f;
    EXPECT_NE(editProperty(*plan, list, editor, nullptr), "");
    EXPECT_EQ(plan->courtPoly, old);

    const Poly flight({{0, 0, 0}, {0, 1, 0}, {3, 1, 0}, {3, 0, 0}});
    TypConStairsStraight stairs(flight, Extrusion{0, 2}, 10, 1.0f, nullptr, 3, "Wood1");
    for (const char* text : {"1e30", "-1e30", "-1"})
        EXPECT_NE(type(stairs, "Banister height", text), "") << text;

    const float heights[4] = {0, 0, 2, 2};
    TypRooGable gable(rectangle(6, 4, TypRooGable::kEaves), Extrusion{0, 2}, nullptr, 3, "Slate1", heights, 0.3f);
    for (int i = 0; i < 4; ++i)
        for (const char* text : {"1e30", "-1e30"})
            EXPECT_NE(type(gable, "Height[" + std::to_string(i) + "]", text), "") << i << " " << text;
}

// A shape without points has no extent: its bounds stay finite.
TEST(EditedValues, EmptyShapesHaveRadiusZero) {
    TypConSlabSimple slab(Poly(), Extrusion{3, 2}, nullptr, 1, "Wood1");
    EXPECT_EQ(slab.radius, 0.0f);
    EXPECT_EQ(slab.size, 0.0f);
    EXPECT_EQ(slab.centre.y, 4.0f);
    TypLinBanister point(Line(2, 2, 2, 2, 0), Extrusion{0, 1}, nullptr, 1, "Wood1");
    EXPECT_TRUE(std::isfinite(point.radius));
}

// A kerb rail longer than a banister's children can hold balusters for
// still gets them all, flat or climbing: about five to the metre.
TEST(LongBanisters, EveryLengthGetsItsBalusters) {
    for (float length : {50.0f, 80.0f, 230.0f}) {
        TypLinBanister flat(Line(0, 0, length, 0, 0.1f), Extrusion{0, 1}, nullptr, 7, "Wood1");
        TypLinBanisterSloping climbing(Line(0, 0, 0, length, 0.1f), Extrusion{0, 1}, 5.0f, nullptr, 7, "Wood1");
        for (TypLinBanister* b : {static_cast<TypLinBanister*>(&flat), static_cast<TypLinBanister*>(&climbing)}) {
            growAll(*b);
            EXPECT_FALSE(b->tooManyChildren()) << length;
            EXPECT_GE(countOf(*b, TypConPillarSimple::kClassName), static_cast<int>(length * 5) - 5) << length;
        }
    }
}

// End sections of a portico take the context's material, also while the
// context is being captured into an impostor.
TEST(PorticoMaterial, EndSectionsLookThroughTheImpostorCover) {
    TypConSlabSimple context(rectangle(10, 4), Extrusion{0, 3}, nullptr, 1, "Brick1");
    ASSERT_NE(nameOf(*context.material), nullptr);
    context.material = std::make_unique<ImpostorMaterial>(std::move(context.material), nullptr);
    Line line(0, 0, 10, 0, 0.3f);
    line.subdivide(3.0f, TypLinOpening::kWindow);
    TypLinPortico portico(line, Extrusion{0, 3}, &context, 0, 0, 9, "Wood1");
    portico.refine(kModelView);
    const auto sections = childrenOf<TypLinWallSection>(portico);
    ASSERT_EQ(sections.size(), 2u);
    for (const TypLinWallSection* s : sections)
        EXPECT_STREQ(nameOf(*s->material), "Brick1");
}

// Two entry facades in line (a plot edge split by a straight corner) each
// get their own entrance: rooms are matched to the edge, not to its line.
TEST(CourtEntrances, EntryFacadesInLineEachGetAnEntrance) {
    // 40 x 20, the street side x = 0 split at its middle into two entry facades.
    const Poly plot({{0, 0, TypRoo::kEntryFacade}, {0, 10, TypRoo::kEntryFacade}, {0, 20, TypRoo::kFacade},
                     {40, 20, TypRoo::kFacade}, {40, 0, TypRoo::kFacade}});
    TypBuiCourt court(plot, Extrusion{0.0f, 12.0f}, nullptr, 5, "Slate1", "Brick1", {-6, -6, 0, 0, 0}, false);
    court.refine(kModelView);
    TypRooCourtPlan* plan = planOf(court);
    ASSERT_NE(plan, nullptr);
    plan->refine(kModelView);
    int entries = 0;
    for (uint8_t kind : plan->roomKinds)
        entries += kind == TypRoo::kEntryRoom;
    EXPECT_EQ(entries, 2);
}
