// The tour flown with and without GL: the null render context must make the
// same refine and collapse decisions, so both flights end with the same tree.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>

namespace {

const std::string kTour = CALLI_BIN_DIR "/callimora-tour";

struct Flight {
    int status = -1;
    std::string out;
};

// The GL driver keeps allocations until exit: no leak report for the child.
Flight tour(const std::string& arguments) {
    Flight r;
    const std::string command =
        "SDL_VIDEODRIVER=offscreen ASAN_OPTIONS=detect_leaks=0 " + kTour + " " + arguments + " 2>/dev/null";
    std::FILE* p = popen(command.c_str(), "r");
    if (!p)
        return r;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
        r.out.append(buffer, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The number after `label` in the output, or -1 when it does not appear.
double numberAfter(const std::string& out, const std::string& label) {
    const size_t at = out.find(label);
    return at == std::string::npos ? -1 : std::atof(out.c_str() + at + label.size());
}

// Every "fingerprint: ..." line, in order.
std::string fingerprints(const std::string& out) {
    std::string found;
    for (size_t at = out.find("fingerprint: "); at != std::string::npos; at = out.find("fingerprint: ", at + 1))
        found += out.substr(at, out.find('\n', at) - at) + "\n";
    return found;
}

}  // namespace

// The whole default flight, where impostors are made and dropped on most
// frames: without GL they are made by the same rules, without pictures.
TEST(TourNoRender, EndsWithTheRenderedFlightsTree) {
    const std::string flight = "--quiet --repeat --check";
    const Flight rendered = tour(flight);
    const Flight plain = tour(flight + " --no-render");
    ASSERT_EQ(rendered.status, 0) << rendered.out;
    ASSERT_EQ(plain.status, 0) << plain.out;
    const std::string expected = fingerprints(rendered.out);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 2) << rendered.out;
    EXPECT_EQ(fingerprints(plain.out), expected);
    const auto made = [](const std::string& out) {
        const size_t at = out.find("impostors  made ");
        return at == std::string::npos ? std::string() : out.substr(at, out.find(' ', at + 16) - at);
    };
    EXPECT_NE(made(rendered.out), "impostors  made 0") << rendered.out;
    EXPECT_EQ(made(plain.out), made(rendered.out));

    // Both summaries break the frame down; only the rendered one has GL parts.
    for (const Flight* r : {&rendered, &plain}) {
        EXPECT_NE(r->out.find("traversal+generation+tessellation"), std::string::npos) << r->out;
        EXPECT_NE(r->out.find("pass 1 memory  peak resident"), std::string::npos) << r->out;
    }
    EXPECT_NE(rendered.out.find("GL submission"), std::string::npos);
    EXPECT_EQ(plain.out.find("GL submission"), std::string::npos);
    EXPECT_EQ(plain.out.find("gpu-finish"), std::string::npos);
}

TEST(TourNoRender, FlightDependsOnTheSize) {
    // The detail threshold follows the width: a different size, a different tree.
    const Flight small = tour("--frames 30 --size 160x120 --quiet --no-render");
    const Flight large = tour("--frames 30 --size 640x480 --quiet --no-render");
    ASSERT_EQ(small.status, 0);
    ASSERT_EQ(large.status, 0);
    EXPECT_NE(fingerprints(small.out), fingerprints(large.out));
}

TEST(TourNoRender, RefusesADetailThatIsNotAFinitePositiveNumber) {
    for (const char* detail : {"inf", "1e39", "nan", "0", "-1"})
        EXPECT_EQ(tour(std::string("--frames 1 --size 160x120 --quiet --no-render --detail ") + detail).status, 2)
            << detail;
    EXPECT_EQ(tour("--frames 1 --size 160x120 --quiet --no-render --detail 0.4").status, 0);
}

// Without a limit on growth the flight is the one the tour always flew; with
// the budget both flights still make the same decisions.
TEST(TourNoRender, EitherBudgetGivesTheSameTreeWithAndWithoutGL) {
    for (const char* budget : {"--budget 0", "--budget 256"}) {
        const std::string flight = std::string("--frames 60 --size 320x240 --quiet ") + budget;
        const Flight rendered = tour(flight);
        const Flight plain = tour(flight + " --no-render");
        ASSERT_EQ(rendered.status, 0) << rendered.out;
        ASSERT_EQ(plain.status, 0) << plain.out;
        EXPECT_FALSE(fingerprints(plain.out).empty());
        EXPECT_EQ(fingerprints(plain.out), fingerprints(rendered.out)) << budget;
    }
    const Flight unlimited = tour("--frames 60 --size 320x240 --quiet --no-render --budget 0");
    const Flight budgeted = tour("--frames 60 --size 320x240 --quiet --no-render --budget 256");
    EXPECT_NE(unlimited.out.find("summary: growth  unlimited"), std::string::npos) << unlimited.out;
    EXPECT_NE(budgeted.out.find("summary: growth  budget 256 nodes"), std::string::npos) << budgeted.out;
    const size_t at = budgeted.out.find("made per frame median ");
    ASSERT_NE(at, std::string::npos) << budgeted.out;
    double median = -1, p99 = -1, max = -1;
    ASSERT_EQ(std::sscanf(budgeted.out.c_str() + at, "made per frame median %lf  p99 %lf  max %lf", &median, &p99,
                          &max), 3);
    EXPECT_GT(max, 0);
    EXPECT_LE(max, 256) << "no frame grows past the budget";
}

TEST(TourNoRender, StandingStillAfterTheStartTheViewCompletesWithinAFewFrames) {
    const Flight held = tour("--frames 1 --hold 99 --quiet --no-render");
    ASSERT_EQ(held.status, 0) << held.out;
    EXPECT_NE(held.out.find("frames 100  size"), std::string::npos) << held.out;
    const double complete = numberAfter(held.out, "view complete from frame ");
    EXPECT_GT(complete, 1) << held.out;
    EXPECT_LT(complete, 100) << held.out;
}

// The autopilot lowers the detail at every turn, as in the window; an
// explicit detail stays as given unless the frame-rate monitor runs.
TEST(TourNoRender, AutopilotKeepsAnExplicitDetailUnlessTheMonitorRuns) {
    const std::string walk = "--autopilot --frames 400 --size 320x240 --quiet --no-render ";
    const Flight kept = tour(walk + "--detail 0.7");
    const Flight steered = tour(walk + "--detail 0.7 --target-fps 0");
    const Flight plain = tour(walk);
    ASSERT_EQ(kept.status, 0) << kept.out;
    EXPECT_DOUBLE_EQ(numberAfter(kept.out, "size 320x240  detail "), 0.7) << kept.out;
    ASSERT_GT(numberAfter(steered.out, "turns "), 0) << steered.out;
    EXPECT_LT(numberAfter(steered.out, "size 320x240  detail "), 0.5) << steered.out;
    EXPECT_LT(numberAfter(plain.out, "size 320x240  detail "), 0.5) << plain.out;
}

// No frame runs faster than the window's 10 ms tick: a target of 1000 frames a
// second lowers the detail by a tenth every frame; below 1 nothing adapts.
TEST(TourNoRender, TargetAboveAnyReachableRateLowersTheDetailEveryFrame) {
    const Flight fast = tour("--frames 10 --size 160x120 --quiet --no-render --target-fps 1000");
    const Flight off = tour("--frames 10 --size 160x120 --quiet --no-render --target-fps 0");
    ASSERT_EQ(fast.status, 0) << fast.out;
    EXPECT_NEAR(numberAfter(fast.out, "size 160x120  detail "), 0.4 * std::pow(0.9, 10), 0.001) << fast.out;
    EXPECT_NE(fast.out.find("frame-rate monitor  target 1000.0 fps"), std::string::npos) << fast.out;
    EXPECT_DOUBLE_EQ(numberAfter(off.out, "size 160x120  detail "), 0.4) << off.out;
}
