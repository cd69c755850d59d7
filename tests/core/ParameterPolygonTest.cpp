// A polygon's entries in a parameter list: its points as headings or as
// editable entries, and the polygon editor that rebuilds it from lengths and
// turns.
#include "core/ParameterList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/Poly.h"

#include "ParameterTestSupport.h"

using namespace paramtest;

namespace {

//  (0,10) +----+ (10,10)
//         |    |
//  (0,0)  +----+ (10,0)
// listed clockwise, so every corner is a clockwise turn of 90 degrees.
Poly clockwiseSquare() {
    return Poly({{0, 0, 1}, {0, 10, 1}, {10, 10, 1}, {10, 0, 1}});
}

void expectSamePoints(const Poly& actual, const Poly& expected) {
    ASSERT_EQ(actual.count(), expected.count());
    for (int i = 0; i < expected.count(); ++i) {
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-4) << "point " << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, 1e-4) << "point " << i;
        EXPECT_EQ(actual[i].limit, expected[i].limit) << "point " << i;
    }
}

}  // namespace

TEST(DeclarePoly, EmptyPolygonAddsNothing) {
    Poly empty;
    ParameterList list;
    declarePoly(empty, list, "Poly", nullptr);
    declarePoly(empty, list, nullptr, nullptr);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.capacity(), 0);
}

TEST(DeclarePoly, UnnamedShowsCoordinatesAsHeadings) {
    Poly poly({{0, 0, 0}, {5, 0, 1}, {12.5f, 4, 2}});
    ParameterList list;
    declarePoly(poly, list, nullptr, nullptr);
    EXPECT_EQ(names(list),
              (std::vector<std::string>{"Base Poly: 3 vertices", "Poly.p[0] limit", "Poly.p[0] X: 0.000000",
                                        "Poly.p[0] Y: 0.000000", "Poly.p[1] limit", "Poly.p[1] X: 5.000000",
                                        "Poly.p[1] Y: 0.000000", "Poly.p[2] limit", "Poly.p[2] X: 12.500000",
                                        "Poly.p[2] Y: 4.000000"}));
    const int x2 = list.find("Poly.p[2] X: 12.500000");
    ASSERT_GE(x2, 0);
    EXPECT_EQ(list.record(x2), nullptr);  // read-only
    // Without a limit table the limit shows as a number.
    EXPECT_EQ(text(entry(list, "Poly.p[2] limit")), "2");
}

TEST(DeclarePoly, NamedHasEditorAndEditablePoints) {
    const char* const limitNames[] = {"Party Wall", "Facade", "Entry"};
    const uint8_t limitValues[] = {0, 1, 2};
    const LimitNames limits{limitNames, limitValues, 3};
    Poly poly({{0, 0, 0}, {5, 0, 1}, {5, 5, 2}, {0, 5, 1}});
    ParameterList list;
    declarePoly(poly, list, "Court", &limits);
    ASSERT_EQ(list.count(), 2 + 4 * 3);
    EXPECT_EQ(list.name(0), "Court: 4 vertices");
    EXPECT_EQ(list.name(1), "POLY <Edition>");
    ASSERT_NE(list.record(1), nullptr);
    EXPECT_TRUE(list.record(1)->isPolygonEdit());
    EXPECT_EQ(list.record(1)->text(), nullptr);
    EXPECT_EQ(list.name(2), "Court.p[0] limit");
    EXPECT_EQ(list.name(3), "Court.p[0] X");
    EXPECT_EQ(list.name(4), "Court.p[0] Y");
    EXPECT_EQ(text(entry(list, "Court.p[2] limit")), "Entry");
    EXPECT_EQ(entry(list, "Court.p[2] limit").choiceCount(), 3);
    EXPECT_FALSE(entry(list, "Court.p[2] X").isPolygonEdit());

    entry(list, "Court.p[1] X").parse("7.25");
    entry(list, "Court.p[3] limit").parse("Party Wall");
    EXPECT_EQ(poly[1].x, 7.25f);
    EXPECT_EQ(poly[3].limit, 0);
}

TEST(PolygonEditor, RebuildsSquareFromLengthsAndClockwiseTurns) {
    Poly poly = clockwiseSquare();
    for (Point& p : poly.points())
        p.limit = 0;
    PolygonEditParameter editor(&poly, nullptr);
    editor.lengths() = {10, 10, 10, 10};
    editor.angles() = {0, 90, 90, 90};
    editor.limits() = {1, 1, 1, 1};
    editor.parse(nullptr);
    expectSamePoints(poly, clockwiseSquare());
}

TEST(PolygonEditor, StartsFromTheCurrentPolygonSoANoOpRebuildKeepsIt) {
    //  (0,8) +--+ (4,8)
    //        |  |
    //        |  +-----+ (10,3)
    //  (0,0) +--------+ (10,0)
    Poly lShape({{0, 0, 1}, {0, 8, 2}, {4, 8, 3}, {4, 3, 4}, {10, 3, 5}, {10, 0, 6}});
    const Poly before = lShape;
    PolygonEditParameter editor(&lShape, nullptr);
    ASSERT_EQ(editor.lengths().size(), 6u);
    EXPECT_NEAR(editor.lengths()[0], 8, 1e-5);
    EXPECT_NEAR(editor.angles()[1], 90, 1e-4);   // right turn
    EXPECT_NEAR(editor.angles()[2], 90, 1e-4);
    EXPECT_NEAR(editor.angles()[3], -90, 1e-4);  // left turn
    editor.parse("ignored");
    expectSamePoints(lShape, before);
}

TEST(PolygonEditor, PointOnTheFirstHandsItsLimitToIt) {
    Poly poly = clockwiseSquare();
    PolygonEditParameter editor(&poly, nullptr);
    // A fifth step that comes back to the start.
    editor.lengths() = {10, 10, 10, 10, 10};
    editor.angles() = {0, 90, 90, 90, 90};
    editor.limits() = {1, 2, 3, 4, 5};
    editor.parse(nullptr);
    expectSamePoints(poly, Poly({{0, 0, 5}, {0, 10, 2}, {10, 10, 3}, {10, 0, 4}}));
}

TEST(PolygonEditor, PointOnTheLastHandsItsLimitToIt) {
    Poly poly = clockwiseSquare();
    PolygonEditParameter editor(&poly, nullptr);
    // A zero-length second edge puts the third point on the second.
    editor.lengths() = {10, 0, 10, 10};
    editor.angles() = {0, 90, 0, 90};
    editor.limits() = {1, 2, 3, 4};
    editor.parse(nullptr);
    expectSamePoints(poly, Poly({{0, 0, 1}, {0, 10, 3}, {10, 10, 4}}));
}

TEST(PolygonEditor, EmptyPolygonStartsAtOriginHeadingAlongX) {
    Poly poly;
    PolygonEditParameter editor(&poly, nullptr);
    editor.lengths() = {3, 4};
    editor.angles() = {0, -90};  // a left turn
    editor.limits() = {7, 8};
    editor.parse(nullptr);
    expectSamePoints(poly, Poly({{0, 0, 7}, {3, 0, 8}}));
}

TEST(PolygonEditor, UnevenArraysAreCutToTheShortest) {
    Poly poly = clockwiseSquare();
    PolygonEditParameter editor(&poly, nullptr);
    editor.lengths() = {10, 10, 10, 10, 10, 10};
    editor.angles() = {0, 90};
    editor.limits() = {1, 1, 1, 1};
    editor.parse(nullptr);
    EXPECT_EQ(poly.count(), 2);
}
