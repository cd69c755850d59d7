// The town's own views drawn with batching on and off, through the tour: the
// same picture (at most 0.1 % of pixels more than 8 levels apart) in far
// fewer draw calls.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "renderer/ImageDecoder.h"

namespace fs = std::filesystem;

namespace {

const std::string kTour = CALLI_BIN_DIR "/callimora-tour";

struct Shot {
    ImageDecoder::Image image;
    double drawCalls = -1;  // mean a frame, from the summary
};

// Runs the view, keeps its picture and reads the summary's draw calls.
Shot shoot(const std::string& view, const std::string& options, const fs::path& folder) {
    const fs::path picture = folder / (view + std::to_string(options.size()) + ".png");
    const fs::path out = folder / (view + std::to_string(options.size()) + ".txt");
    const std::string command = "SDL_VIDEODRIVER=offscreen ASAN_OPTIONS=detect_leaks=0 " + kTour + " --view " +
                                view + " --size 320x240 --quiet " + options + " --shot " + picture.string() + " > " +
                                out.string() + " 2>&1";
    Shot shot;
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
    ImageDecoder decoder;
    EXPECT_TRUE(decoder.decode(picture.c_str(), shot.image)) << decoder.error();
    std::ifstream summary(out);
    std::string line;
    while (std::getline(summary, line))
        if (line.rfind("summary: draw calls  mean ", 0) == 0)
            shot.drawCalls = std::stod(line.substr(std::string("summary: draw calls  mean ").size()));
    return shot;
}

}  // namespace

TEST(BatchingTour, TheTownLooksTheSameInFewerDrawCalls) {
    ASSERT_TRUE(fs::exists(kTour)) << kTour;
    const fs::path folder = fs::temp_directory_path() / ("calli-batching-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* view : {"street", "rooftop", "market"}) {
        const Shot merged = shoot(view, "", folder);
        const Shot single = shoot(view, "--no-batching", folder);
        ASSERT_EQ(merged.image.rgba.size(), single.image.rgba.size()) << view;
        ASSERT_EQ(merged.image.rgba.size(), size_t{320 * 240 * 4}) << view;
        long apart = 0;
        for (size_t i = 0; i + 3 < merged.image.rgba.size(); i += 4) {
            bool far = false;
            for (int c = 0; c < 3; ++c)
                far = far || std::abs(merged.image.rgba[i + c] - single.image.rgba[i + c]) > 8;
            apart += far ? 1 : 0;
        }
        const long pixels = 320 * 240;
        std::printf("view %-8s draw calls %.0f merged, %.0f single; %ld of %ld pixels more than 8 levels apart\n",
                    view, merged.drawCalls, single.drawCalls, apart, pixels);
        EXPECT_LE(apart * 1000, pixels) << view;
        ASSERT_GT(single.drawCalls, 0) << view;
        EXPECT_LT(merged.drawCalls * 1.5, single.drawCalls) << view;
    }
    fs::remove_all(folder);
}
