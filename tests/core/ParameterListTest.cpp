#include "core/ParameterList.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/Desc.h"
#include "core/DrawablePolyExtruded.h"
#include "core/Material.h"
#include "core/Poly.h"

#include "ParameterTestSupport.h"

using namespace paramtest;

namespace {

// Texts a person might type that are no number at all.
const char* const kGarbage[] = {"", " ", "abc", "%s%n%s%n", "-", "+", "Yes please", "\x01\x7f\xff"};

}  // namespace

// ---- the list's arrays ----

TEST(ParameterListGrowth, NineEntriesReallocateOnceAtTheNinth) {
    ParameterList list;
    float values[9] = {};
    for (int i = 0; i < 8; ++i)
        list.addFloat("v", &values[i]);
    EXPECT_EQ(list.capacity(), 8);
    EXPECT_EQ(list.reallocations(), 0);
    list.addFloat("v", &values[8]);
    EXPECT_EQ(list.count(), 9);
    EXPECT_EQ(list.capacity(), 16);
    EXPECT_EQ(list.reallocations(), 1);
}

TEST(ParameterListGrowth, GrowsByEightWhateverTheKind) {
    ParameterList list;
    int32_t n = 0;
    for (int i = 0; i < 16; ++i)
        list.addHeading("h");
    EXPECT_EQ(list.capacity(), 16);
    list.addInt("n", &n);
    EXPECT_EQ(list.capacity(), 24);
    EXPECT_EQ(list.reallocations(), 2);
    // Headings have no record; names are copies.
    EXPECT_EQ(list.record(0), nullptr);
    EXPECT_NE(list.record(16), nullptr);
}

TEST(ParameterListGrowth, NamesAreCopiedAtDeclaration) {
    ParameterList list;
    char name[] = "Floors";
    int32_t floors = 3;
    list.addInt(name, &floors);
    name[0] = 'X';
    EXPECT_EQ(list.name(0), "Floors");
    EXPECT_EQ(list.find("Floors"), 0);
    EXPECT_EQ(list.find("Xloors"), -1);
}

// ---- texts at declaration ----

TEST(ParameterText, NumbersUsePrintfFormats) {
    ParameterList list;
    int32_t n = -42;
    float f = 12.5f;
    list.addInt("n", &n);
    list.addFloat("f", &f);
    EXPECT_EQ(text(entry(list, "n")), "-42");
    EXPECT_EQ(text(entry(list, "f")), "12.500000");
    EXPECT_EQ(entry(list, "n").choiceCount(), 0);
}

TEST(ParameterText, TextsAreNotRefreshedByParse) {
    ParameterList list;
    int32_t n = 1;
    list.addInt("n", &n);
    entry(list, "n").parse("7");
    EXPECT_EQ(n, 7);
    EXPECT_EQ(text(entry(list, "n")), "1");
}

TEST(ParameterText, HugeFloatFitsItsText) {
    ParameterList list;
    float f = -3.4e38f;
    list.addFloat("f", &f);
    const std::string t = text(entry(list, "f"));
    EXPECT_LT(t.size(), 80u);
    EXPECT_FLOAT_EQ(std::strtof(t.c_str(), nullptr), f);
}

TEST(ParameterText, ChoiceShowsTheFirstNameWithTheValue) {
    const char* const choiceNames[] = {"Party Wall", "Facade", "Also facade"};
    const uint8_t values[] = {0, 1, 1};
    uint8_t limit = 1;
    ParameterList list;
    list.addByteChoice("limit", choiceNames, 3, values, &limit);
    EXPECT_EQ(text(entry(list, "limit")), "Facade");
    EXPECT_EQ(entry(list, "limit").choiceCount(), 3);
    EXPECT_EQ(entry(list, "limit").choiceName(2), "Also facade");
}

TEST(ParameterText, ByteOutsideTheChoicesShowsSignedValue) {
    const char* const choiceNames[] = {"Party Wall", "Facade"};
    const uint8_t values[] = {0, 1};
    uint8_t limit = 255, other = 7;
    ParameterList list;
    list.addByteChoice("limit", choiceNames, 2, values, &limit);
    list.addByteChoice("other", choiceNames, 2, values, &other);
    EXPECT_EQ(text(entry(list, "limit")), "-1");
    EXPECT_EQ(text(entry(list, "other")), "7");
}

TEST(ParameterText, IntAndFloatChoicesFallBackToNumbers) {
    const char* const kinds[] = {"Empty", "Simple"};
    const int32_t kindValues[] = {0, 1};
    const char* const angles[] = {"Straight", "Winding"};
    const float angleValues[] = {0.0f, 0.25f};
    int32_t kind = 1, unknownKind = 5;
    float angle = 0.25f, unknownAngle = 0.5f;
    ParameterList list;
    list.addIntChoice("kind", kinds, 2, kindValues, &kind);
    list.addIntChoice("unknown kind", kinds, 2, kindValues, &unknownKind);
    list.addFloatChoice("angle", angles, 2, angleValues, &angle);
    list.addFloatChoice("unknown angle", angles, 2, angleValues, &unknownAngle);
    EXPECT_EQ(text(entry(list, "kind")), "Simple");
    EXPECT_EQ(text(entry(list, "unknown kind")), "5");
    EXPECT_EQ(text(entry(list, "angle")), "Winding");
    EXPECT_EQ(text(entry(list, "unknown angle")), "0.500000");
}

TEST(ParameterText, BoolIsANoYesChoice) {
    bool on = true, off = false;
    ParameterList list;
    list.addBool("Urban", &on);
    list.addBool("Court closed", &off);
    EXPECT_EQ(text(entry(list, "Urban")), "Yes");
    EXPECT_EQ(text(entry(list, "Court closed")), "No");
    ASSERT_EQ(entry(list, "Urban").choiceCount(), 2);
    EXPECT_EQ(entry(list, "Urban").choiceName(0), "No");
    EXPECT_EQ(entry(list, "Urban").choiceName(1), "Yes");
}

TEST(ParameterText, FloatArrayNamesEachElement) {
    float heights[4] = {1, 2, 3, 4};
    ParameterList list;
    list.addFloatArray("Height", heights, 4);
    EXPECT_EQ(names(list), (std::vector<std::string>{"Height[0]", "Height[1]", "Height[2]", "Height[3]"}));
    EXPECT_EQ(text(entry(list, "Height[2]")), "3.000000");
    entry(list, "Height[3]").parse("9.5");
    EXPECT_EQ(heights[3], 9.5f);
    EXPECT_EQ(heights[2], 3.0f);
}

// ---- parsing a person's text ----

TEST(ParameterParse, NumbersTakeWhatScanfTakes) {
    int32_t n = 0;
    float f = 0;
    ParameterList list;
    list.addInt("n", &n);
    list.addFloat("f", &f);
    entry(list, "n").parse("  -17 apples");
    EXPECT_EQ(n, -17);
    entry(list, "n").parse("12.9");
    EXPECT_EQ(n, 12);
    entry(list, "f").parse("2.5e1x");
    EXPECT_EQ(f, 25.0f);
    // Beyond 32 bits the low bits remain, as scanf stores them.
    entry(list, "n").parse("99999999999");
    EXPECT_EQ(n, 1215752191);
}

TEST(ParameterParse, GarbageLeavesNumbersUnchanged) {
    int32_t n = 5;
    float f = 1.5f;
    const char* const kindNames[] = {"Empty", "Simple"};
    const int32_t kindValues[] = {0, 1};
    int32_t kind = 1;
    ParameterList list;
    list.addInt("n", &n);
    list.addFloat("f", &f);
    list.addIntChoice("kind", kindNames, 2, kindValues, &kind);
    for (const char* garbage : kGarbage) {
        entry(list, "n").parse(garbage);
        entry(list, "f").parse(garbage);
        entry(list, "kind").parse(garbage);
        EXPECT_EQ(n, 5) << garbage;
        EXPECT_EQ(f, 1.5f) << garbage;
        EXPECT_EQ(kind, 1) << garbage;
    }
    entry(list, "n").parse(nullptr);
    entry(list, "f").parse(nullptr);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(f, 1.5f);
}

TEST(ParameterParse, GarbageGivesZeroForBytes) {
    const char* const choiceNames[] = {"Party Wall", "Facade"};
    const uint8_t values[] = {0, 1};
    uint8_t limit = 1;
    bool urban = true;
    ParameterList list;
    list.addByteChoice("limit", choiceNames, 2, values, &limit);
    list.addBool("Urban", &urban);
    for (const char* garbage : kGarbage) {
        limit = 1;
        urban = true;
        entry(list, "limit").parse(garbage);
        entry(list, "Urban").parse(garbage);
        EXPECT_EQ(limit, 0) << garbage;
        EXPECT_FALSE(urban) << garbage;
    }
}

TEST(ParameterParse, ChoicesMatchWholeNamesFirst) {
    const char* const kindNames[] = {"Empty", "Simple", "Banister", "Balcony"};
    const int32_t kindValues[] = {0, 1, 2, 3};
    int32_t kind = 0;
    const char* const limitNames[] = {"Party Wall", "Facade", "Entry"};
    const uint8_t limitValues[] = {0, 1, 2};
    uint8_t limit = 0;
    const char* const angleNames[] = {"Straight", "Winding"};
    const float angleValues[] = {0.0f, 0.25f};
    float angle = 0;
    ParameterList list;
    list.addIntChoice("Openings", kindNames, 4, kindValues, &kind);
    list.addByteChoice("limit", limitNames, 3, limitValues, &limit);
    list.addFloatChoice("Winding (angle)", angleNames, 2, angleValues, &angle);

    entry(list, "Openings").parse("Balcony");
    EXPECT_EQ(kind, 3);
    entry(list, "Openings").parse("Balcony ");  // no exact name, no number
    EXPECT_EQ(kind, 3);
    entry(list, "Openings").parse("2");
    EXPECT_EQ(kind, 2);
    entry(list, "limit").parse("Entry");
    EXPECT_EQ(limit, 2);
    entry(list, "Winding (angle)").parse("Winding");
    EXPECT_EQ(angle, 0.25f);
    entry(list, "Winding (angle)").parse("0.125");
    EXPECT_EQ(angle, 0.125f);
}

TEST(ParameterParse, BytesKeepTheLowByte) {
    uint8_t b = 0;
    bool flag = false;
    ParameterList list;
    list.addByteChoice("b", nullptr, 0, nullptr, &b);
    list.addBool("flag", &flag);
    entry(list, "b").parse("300");
    EXPECT_EQ(b, 44);
    entry(list, "b").parse("-1");
    EXPECT_EQ(b, 255);
    entry(list, "flag").parse("Yes");
    EXPECT_TRUE(flag);
    entry(list, "flag").parse("No");
    EXPECT_FALSE(flag);
    entry(list, "flag").parse("7");
    EXPECT_TRUE(flag);
    entry(list, "flag").parse("256");  // low byte 0
    EXPECT_FALSE(flag);
}

TEST(ParameterParse, OverlongAndFormatTextsAreSafe) {
    int32_t n = 3;
    float f = 2;
    uint8_t b = 9;
    const char* const choiceNames[] = {"A"};
    const uint8_t values[] = {1};
    ParameterList list;
    list.addInt("n", &n);
    list.addFloat("f", &f);
    list.addByteChoice("b", choiceNames, 1, values, &b);

    const std::string letters(10000, 'x');
    const std::string digits(10000, '9');
    std::string formats;
    for (int i = 0; i < 2000; ++i)
        formats += "%s%n";
    entry(list, "n").parse(letters.c_str());
    entry(list, "f").parse(formats.c_str());
    EXPECT_EQ(n, 3);
    EXPECT_EQ(f, 2.0f);
    entry(list, "f").parse(digits.c_str());
    EXPECT_TRUE(std::isinf(f));
    entry(list, "n").parse(("-" + digits).c_str());
    EXPECT_EQ(n, 0);  // strtol's saturated value, narrowed as scanf narrows it
    entry(list, "b").parse(formats.c_str());
    EXPECT_EQ(b, 0);

    // Long names and formats in names are only copied, never formatted.
    ParameterList named;
    named.addInt(letters.c_str(), &n);
    named.addHeading(formats.c_str());
    EXPECT_EQ(named.name(0), letters);
    EXPECT_EQ(named.name(1), formats);
}

// ---- base-class declarations ----

namespace {
Poly square(float side) { return Poly({{0, 0, 0}, {side, 0, 0}, {side, side, 0}, {0, side, 0}}); }
}  // namespace

TEST(BaseDeclarations, DescPolyListsItsClassesDownToDrawable) {
    DescPoly desc(square(10), 6, 77, nullptr);
    desc.extrusion.lowLimit = 1;
    desc.extrusion.highLimit = 3;
    ParameterList list;
    desc.declareParameters(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"DescPoly", "Extrusion (limits 1-3)", "Extrusion level",
                                                      "Extrusion height", "Desc", "Drawable", "Seed",
                                                      "Main material", "Mapping"}));
    EXPECT_EQ(text(entry(list, "Extrusion height")), "6.000000");
    EXPECT_EQ(text(entry(list, "Seed")), "77");
    EXPECT_EQ(text(entry(list, "Main material")), "<null>");  // unbound
    EXPECT_EQ(entry(list, "Main material").choiceCount(), kMaterialNameCount);
    EXPECT_EQ(entry(list, "Mapping").choiceCount(), mapping::kModeCount);
    EXPECT_EQ(text(entry(list, "Mapping")), "Not available");
    ASSERT_NE(list.children(), nullptr);
    EXPECT_EQ(list.children()->choiceCount(), 0);
    EXPECT_EQ(list.parent(), nullptr);  // the root has no parent entry

    entry(list, "Extrusion level").parse("-2.5");
    entry(list, "Mapping").parse("Horizontal oblique");
    entry(list, "Seed").parse("-1");
    EXPECT_EQ(desc.extrusion.level, -2.5f);
    EXPECT_EQ(desc.material->mapping, 6);
    EXPECT_EQ(desc.seed, 0xFFFFFFFFu);
}

TEST(BaseDeclarations, DescLineListsItsExtrusion) {
    Extrusion extrusion;
    extrusion.height = 3;
    DescLine desc(Line(0, 0, 10, 0, 0.5f), extrusion, 5, nullptr);
    ParameterList list;
    desc.declareParameters(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"DescLine", "Extrusion (limits 0-0)", "Extrusion level",
                                                      "Extrusion height", "Desc", "Drawable", "Seed",
                                                      "Main material", "Mapping"}));
}

TEST(BaseDeclarations, ChildrenEntryListsClassNamesInOrder) {
    DescPoly desc(square(10), 6, 1, nullptr);
    desc.addChild(std::make_unique<DescPoly>(square(2), 1, 2, nullptr));
    desc.addChild(std::make_unique<DrawablePolyExtruded>(square(1), Extrusion{}, 3, nullptr));
    Extrusion extrusion;
    desc.addChild(std::make_unique<DescLine>(Line(0, 0, 1, 0, 0.2f), extrusion, 4, nullptr));
    desc.addChild(std::make_unique<DrawablePolyExtrudedP>(square(1), Extrusion{}, Matrix44{}, 5, nullptr));
    ParameterList list;
    desc.declareParameters(list);
    ASSERT_NE(list.children(), nullptr);
    EXPECT_EQ(list.children()->choiceNames(),
              (std::vector<std::string>{"DescPoly", "DrawablePolyExtruded", "DescLine", "DrawablePolyExtrudedP"}));
    auto* children = dynamic_cast<ChildrenParameter*>(list.children());
    ASSERT_NE(children, nullptr);
    EXPECT_EQ(children->child(2), desc.child(2));
    EXPECT_EQ(children->child(4), nullptr);
    EXPECT_EQ(children->child(-1), nullptr);
}

TEST(BaseDeclarations, ParentEntryNamesTheParentAndIsSetOnce) {
    DescPoly root(square(10), 6, 1, nullptr);
    auto* child = root.addChild(std::make_unique<DescPoly>(square(2), 1, 2, nullptr));
    ParameterList list;
    child->declareParameters(list);
    ASSERT_NE(list.parent(), nullptr);
    EXPECT_EQ(list.parent()->choiceNames(), std::vector<std::string>{"DescPoly"});
    EXPECT_EQ(dynamic_cast<ParentParameter*>(list.parent())->parent(), &root);
    // Children of the child: an empty entry, and the first setChildren wins.
    Parameter* first = list.children();
    list.setChildren(&root.children);
    EXPECT_EQ(list.children(), first);
    EXPECT_EQ(list.children()->choiceCount(), 0);

    Desc* none = nullptr;
    ParameterList orphan;
    orphan.setParent(&none);
    orphan.setParent(nullptr);
    EXPECT_EQ(orphan.parent(), nullptr);
}

TEST(BaseDeclarations, DrawablePolyExtrudedDeclaresItsPolygonAndExtrusion) {
    DrawablePolyExtrudedP drawable(square(4), Extrusion{1, 2, 0, 0}, Matrix44{}, 9, nullptr);
    ParameterList list;
    drawable.declareParameters(list);
    const std::vector<std::string> got = names(list);
    ASSERT_EQ(got.size(), 2u + 2 + 4 * 3 + 3 + 4);
    EXPECT_EQ(got[0], "DrawablePolyExtrudedP");
    EXPECT_EQ(got[1], "DrawablePolyExtruded");
    EXPECT_EQ(got[2], "Poly: 4 vertices");
    EXPECT_EQ(got[3], "POLY <Edition>");
    EXPECT_EQ(got[4], "Poly.p[0] limit");
    EXPECT_EQ(got[16], "Extrusion (limits 0-0)");
    EXPECT_EQ(got[19], "Drawable");
    EXPECT_EQ(got.back(), "Mapping");
    EXPECT_EQ(list.children(), nullptr);  // not a description
}

TEST(Variants, NamesInOrderWithOptionalCurrentValue) {
    const char* const variantNames[] = {"Urban", "Rustic"};
    const uint8_t variantValues[] = {0, 1};
    uint8_t current = 1;
    ParameterList withTarget;
    withTarget.setVariants(variantNames, 2, variantValues, &current);
    ASSERT_NE(withTarget.variants(), nullptr);
    EXPECT_EQ(withTarget.variants()->choiceNames(), (std::vector<std::string>{"Urban", "Rustic"}));
    EXPECT_EQ(text(*withTarget.variants()), "Rustic");
    // The first call wins.
    const char* const others[] = {"Simple", "Cross"};
    withTarget.setVariants(others, 2, nullptr, nullptr);
    EXPECT_EQ(withTarget.variants()->choiceName(0), "Urban");

    ParameterList without;
    without.setVariants(others, 2, nullptr, nullptr);
    EXPECT_EQ(without.variants()->text(), nullptr);
    EXPECT_EQ(without.count(), 0);  // not one of the list's entries
}

// Refusals: a number entry takes its choice names and whole, finite numbers
// within its range, nothing else; a refused text writes nothing.
TEST(ParameterListEdit, RefusesWhatTheEntryCannotHold) {
    float f = 2.5f, choice = 0.5f;
    int32_t n = 7;
    uint8_t byte = 3;
    bool flag = false;
    ParameterList list;
    list.addHeading("Heading");
    list.addFloat("F", &f, {1.0, 10.0});
    list.addInt("N", &n);
    const char* const names[] = {"Half", "Huge"};
    const float values[] = {0.5f, 1e9f};
    list.addFloatChoice("C", names, 2, values, &choice, {0.0, 1.0});
    const uint8_t byteValues[] = {0, 1};
    list.addByteChoice("B", names, 2, byteValues, &byte);
    list.addBool("Flag", &flag);

    EXPECT_EQ(list.edit(0, "1"), "not editable");
    for (const char* text : {"nan", "inf", "-inf", "", "  ", "abc", "3x", "0", "10.5", "1e30"}) {
        EXPECT_FALSE(list.edit(1, text).empty()) << text;
        EXPECT_EQ(f, 2.5f) << text;
    }
    EXPECT_EQ(list.edit(1, "nan"), "not a finite number");
    EXPECT_EQ(list.edit(1, "abc"), "not a number");
    EXPECT_EQ(list.edit(1, "0"), "must be between 1 and 10");
    EXPECT_EQ(list.edit(1, " 10 "), "");
    EXPECT_EQ(f, 10.0f);

    for (const char* text : {"2147483648", "-2147483649", "1.5", "1e3", "nan", ""})
        EXPECT_FALSE(list.edit(2, text).empty()) << text;
    EXPECT_EQ(n, 7);
    EXPECT_EQ(list.edit(2, "-2147483648"), "");
    EXPECT_EQ(n, INT32_MIN);

    // A choice name is taken even outside the range numbers must keep to.
    EXPECT_EQ(list.edit(3, "Huge"), "");
    EXPECT_EQ(choice, 1e9f);
    EXPECT_FALSE(list.edit(3, "2").empty());
    EXPECT_EQ(list.edit(3, "0.25"), "");

    // A byte choice takes its listed names and values and the value it held,
    // no other number: a kind no choice names is no kind the typology knows.
    for (const char* text : {"256", "-1", "2", "abc", ""})
        EXPECT_FALSE(list.edit(4, text).empty()) << text;
    EXPECT_EQ(byte, 3);
    EXPECT_EQ(list.edit(4, "Huge"), "");
    EXPECT_EQ(byte, 1);
    EXPECT_EQ(list.edit(4, "0"), "");
    EXPECT_EQ(byte, 0);
    EXPECT_EQ(list.edit(4, "3"), "");
    EXPECT_EQ(byte, 3);
    for (const char* text : {"maybe", "2", "-1", "255"})
        EXPECT_FALSE(list.edit(5, text).empty()) << text;
    EXPECT_FALSE(flag);
    EXPECT_EQ(list.edit(5, "Yes"), "");
    EXPECT_TRUE(flag);
    EXPECT_EQ(list.edit(5, "0"), "");
    EXPECT_FALSE(flag);

    ValueRange range;
    ASSERT_TRUE(list.record(1)->range(range));
    EXPECT_EQ(range.min, 1.0);
    EXPECT_EQ(range.max, 10.0);
    ASSERT_TRUE(list.record(2)->range(range));
    EXPECT_EQ(range.min, INT32_MIN);
    EXPECT_EQ(range.max, INT32_MAX);
    EXPECT_FALSE(list.record(5)->range(range));
}

TEST(ParameterListEdit, SavedValuesComeBackExactly) {
    float f = 0.19634954f;
    ParameterList list;
    list.addFloat("F", &f);
    const std::string saved = list.record(0)->saveValue();
    // The text rounds; the saved value does not.
    list.record(0)->parse(list.record(0)->text());
    EXPECT_NE(f, 0.19634954f);
    list.record(0)->restoreValue(saved);
    EXPECT_EQ(f, 0.19634954f);
}
