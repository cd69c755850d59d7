// The tour flown with and without GL: the null render context must make the
// same refine and collapse decisions, so both flights end with the same tree.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
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
