#include "editor/ValueDialog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "editor/PilotSettingsDialog.h"
#include "editor/ResourcesDialog.h"

TEST(ValueDialog, OpensWithTwoDecimals) {
    ValueDialog d;
    d.open(0.4f);
    EXPECT_EQ(d.text(), "0.40");
    d.open(1.0f);
    EXPECT_EQ(d.text(), "1.00");
}

TEST(ValueDialog, UpperArrowDoublesLowerArrowHalves) {
    ValueDialog d;
    d.open(0.4f);
    for (int i = 0; i < 3; ++i)
        d.spin(-1);
    EXPECT_FLOAT_EQ(d.value(), 3.2f);
    EXPECT_EQ(d.text(), "3.20");
    d.spin(1);
    EXPECT_FLOAT_EQ(d.value(), 1.6f);
    EXPECT_EQ(d.text(), "1.60");
    ASSERT_TRUE(d.accept());
    EXPECT_FLOAT_EQ(d.value(), 1.6f);
}

// Held arrows: the value stays finite and shown as a positive number, and
// the dialog still accepts it.
TEST(ValueDialog, HeldArrowsStayFiniteAndPositive) {
    ValueDialog d;
    d.open(1.0f);
    for (int i = 0; i < 500; ++i)
        d.spin(-1);
    EXPECT_TRUE(std::isfinite(d.value()));
    EXPECT_GT(d.value(), 1e38f);
    EXPECT_EQ(d.text().find("inf"), std::string::npos) << d.text();
    EXPECT_TRUE(d.accept());
    for (int i = 0; i < 500; ++i)
        d.spin(1);
    EXPECT_GE(d.value(), ValueDialog::kSmallest);
    EXPECT_LT(d.value(), 2 * ValueDialog::kSmallest);
    EXPECT_NE(d.text(), "0.00");
    EXPECT_TRUE(d.accept());
    // A typed number beyond what a float holds is not taken as the value.
    d.setText("1e300");
    EXPECT_TRUE(std::isfinite(d.value()));
    EXPECT_FALSE(d.accept());
}

TEST(ValueDialog, TypedNumberBecomesTheValue) {
    ValueDialog d;
    d.open(1.0f);
    d.setText(" 2.5 ");
    EXPECT_FLOAT_EQ(d.value(), 2.5f);
    ASSERT_TRUE(d.accept());
    EXPECT_FLOAT_EQ(d.value(), 2.5f);
    EXPECT_TRUE(d.message().empty());
    // The spin works from the typed value.
    d.spin(-1);
    EXPECT_EQ(d.text(), "5.00");
}

TEST(ValueDialog, LettersAreRefusedAndTheValueKept) {
    ValueDialog d;
    d.open(1.6f);
    d.setText("abc");
    EXPECT_FLOAT_EQ(d.value(), 1.6f);
    EXPECT_FALSE(d.accept());
    EXPECT_FALSE(d.message().empty());
    EXPECT_FLOAT_EQ(d.value(), 1.6f);
    for (const char* bad : {"", "   ", "0", "0.00", "-1", "2x", "x2", "1e60", "nan", "inf", "1,5"}) {
        d.setText(bad);
        EXPECT_FALSE(d.accept()) << '"' << bad << '"';
    }
    d.setText("1e-3");
    EXPECT_TRUE(d.accept());
    EXPECT_FLOAT_EQ(d.value(), 0.001f);
}

TEST(ValueDialog, OverlongTextIsCut) {
    ValueDialog d;
    d.open(1.0f);
    d.setText(std::string(5000, '7'));
    EXPECT_EQ(d.text().size(), static_cast<size_t>(ValueDialog::kMaxText));
}

TEST(ValueDialog, ReadNumberTakesOnlyWholeNumbers) {
    double v = -5;
    EXPECT_TRUE(dialog::readNumber("12.25", v));
    EXPECT_DOUBLE_EQ(v, 12.25);
    EXPECT_TRUE(dialog::readNumber("-3", v));
    EXPECT_DOUBLE_EQ(v, -3);
    EXPECT_FALSE(dialog::readNumber("3 4", v));
    EXPECT_FALSE(dialog::readNumber("", v));
    EXPECT_DOUBLE_EQ(v, -3);
}

TEST(ResourcesDialog, ShowsTheMonitorsValues) {
    ResourcesDialog d;
    d.open(10.0f, 65536);
    EXPECT_EQ(d.targetText, "10.000000");
    EXPECT_EQ(d.memoryText, "65536");
    ASSERT_TRUE(d.accept());
    EXPECT_FLOAT_EQ(d.target(), 10.0f);
    EXPECT_EQ(d.memoryLimit(), 65536u);
}

TEST(ResourcesDialog, RefusesValuesOutOfRange) {
    ResourcesDialog d;
    d.open(10.0f, 65536);
    const struct {
        const char* target;
        const char* memory;
        bool ok;
    } cases[] = {{"0", "1024", true},      {"1000", "262144", true}, {"1000.5", "65536", false},
                 {"-0.5", "65536", false}, {"abc", "65536", false},  {"10", "1023", false},
                 {"10", "262145", false},  {"10", "2048.5", false},  {"10", "", false},
                 {"25", "4096", true}};
    for (const auto& c : cases) {
        d.targetText = c.target;
        d.memoryText = c.memory;
        EXPECT_EQ(d.accept(), c.ok) << c.target << " " << c.memory;
        if (!c.ok) {
            EXPECT_FALSE(d.message().empty());
        }
    }
    // The last accepted values stay.
    EXPECT_FLOAT_EQ(d.target(), 25.0f);
    EXPECT_EQ(d.memoryLimit(), 4096u);
}

TEST(PilotSettingsDialog, ShowsAndReadsTheSettings) {
    PilotSettingsDialog d;
    d.open(30.0f, 0.3f, true);
    EXPECT_EQ(d.heightText, "30.00");
    EXPECT_EQ(d.speedText, "0.30");
    EXPECT_TRUE(d.startAtNearest);
    d.heightText = "4.5";
    d.speedText = "1";
    d.startAtNearest = false;
    ASSERT_TRUE(d.accept());
    EXPECT_FLOAT_EQ(d.height(), 4.5f);
    EXPECT_FLOAT_EQ(d.speed(), 1.0f);
}

TEST(PilotSettingsDialog, RefusesAStandingPilotAndLetters) {
    PilotSettingsDialog d;
    d.open(30.0f, 0.3f, true);
    d.speedText = "0";
    EXPECT_FALSE(d.accept());
    d.speedText = "fast";
    EXPECT_FALSE(d.accept());
    d.speedText = "0.5";
    d.heightText = "high";
    EXPECT_FALSE(d.accept());
    EXPECT_FALSE(d.message().empty());
    EXPECT_FLOAT_EQ(d.speed(), 0.3f);
    EXPECT_FLOAT_EQ(d.height(), 30.0f);
}

TEST(PilotSettingsDialog, RefusesValuesTooLargeForTheCamera) {
    PilotSettingsDialog d;
    d.open(30.0f, 0.3f, true);
    // 1e39 does not fit a float: it would walk and look from infinity.
    for (const char* text : {"1e39", "10000.5", "-0.01", "inf", "nan"}) {
        d.heightText = text;
        EXPECT_FALSE(d.accept()) << text;
    }
    d.heightText = "10000";
    for (const char* text : {"1e39", "1000.5", "inf", "-1", "0"}) {
        d.speedText = text;
        EXPECT_FALSE(d.accept()) << text;
    }
    d.speedText = "1000";
    ASSERT_TRUE(d.accept());
    EXPECT_EQ(d.height(), 10000.0f);
    EXPECT_EQ(d.speed(), 1000.0f);
}
