// The tour's summary over a long flight: its frames are folded into bounded
// figures, whose lines still give the medians, maxima and means of the
// frames (medians within 1 % once the values are counted in buckets).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/tour/TourBreakdown.h"
#include "tools/tour/TourSummary.h"

namespace {

// The first number after label in text, or -1.
double after(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::stod(text.substr(at + label.size()));
}

std::string printed(const TourSummary& summary, int pass, const TourSummary::Flight& flight) {
    static char text[16384];
    std::memset(text, 0, sizeof text);
    std::FILE* out = fmemopen(text, sizeof text - 1, "w");
    EXPECT_NE(out, nullptr);
    TourBreakdown breakdown;
    summary.print(pass, flight, breakdown, out);
    std::fclose(out);
    return text;
}

}  // namespace

TEST(TourSummary, ALongFlightKeepsItsFiguresPerPass) {
    TourSummary summary;
    constexpr int kFrames = 30000;  // past the exact values kept
    for (int i = 0; i < kFrames; ++i) {
        FrameStats s;
        s.pass = 0;
        s.cpuMs = 1 + i % 100;  // 1 to 100 ms, evenly
        s.drawCalls = 1000 + i % 11;
        s.meshes = 5000;
        s.live = i;
        summary.add(s);
    }
    FrameStats other;
    other.pass = 1;
    other.cpuMs = 500;
    other.drawCalls = 7;
    summary.add(other);

    TourSummary::Flight flight;
    flight.rendered = true;
    const std::string text = printed(summary, 0, flight);
    EXPECT_EQ(after(text, "summary: pass 0  frames "), kFrames) << text;
    EXPECT_NEAR(after(text, "summary: cpu ms  median "), 50, 0.5) << text;
    EXPECT_NEAR(after(text, "  p99 "), 99, 0.99) << text;
    EXPECT_NEAR(after(text, "  mean "), 50.5, 0.01) << text;
    EXPECT_NEAR(after(text, "summary: draw calls  mean "), 1005, 0.5) << text;
    EXPECT_NE(text.find("summary: draw calls  mean 1005  max 1010"), std::string::npos) << text;
    EXPECT_EQ(after(text, "live at end "), kFrames - 1) << text;

    // The other pass keeps its own figures.
    const std::string second = printed(summary, 1, flight);
    EXPECT_NE(second.find("summary: draw calls  mean 7  max 7"), std::string::npos) << second;
    EXPECT_EQ(after(second, "summary: cpu ms  median "), 500) << second;
    // Not rendered: no draw calls.
    flight.rendered = false;
    EXPECT_EQ(printed(summary, 0, flight).find("draw calls"), std::string::npos);
}
