// The tour's named views, each rendered small: a picture that is not blank
// and not a single wall (its brightness spreads, and more than one colour
// holds a good share of it); and the view and shot options refused where
// they cannot be honoured.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "renderer/ImageDecoder.h"
#include "tools/tour/TourViews.h"

namespace fs = std::filesystem;

namespace {

const std::string kTour = CALLI_BIN_DIR "/callimora-tour";

int runTour(const std::string& arguments) {
    const std::string command =
        "SDL_VIDEODRIVER=offscreen ASAN_OPTIONS=detect_leaks=0 " + kTour + " " + arguments + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Statistics {
    double mean = 0, spread = 0;  // brightness 0..255
    double largestShare = 0;      // of the most frequent colour (4 levels a channel)
    int dominantColours = 0;      // colours holding 5 % of the picture or more
};

Statistics statistics(const ImageDecoder::Image& image) {
    Statistics s;
    std::map<int, long> colours;
    double sum = 0, squares = 0;
    const long n = static_cast<long>(image.rgba.size() / 4);
    for (size_t i = 0; i + 3 < image.rgba.size(); i += 4) {
        const int r = image.rgba[i], g = image.rgba[i + 1], b = image.rgba[i + 2];
        const double v = (r + g + b) / 3.0;
        sum += v;
        squares += v * v;
        ++colours[(r / 64) * 16 + (g / 64) * 4 + b / 64];
    }
    s.mean = sum / static_cast<double>(n);
    s.spread = std::sqrt(std::max(0.0, squares / static_cast<double>(n) - s.mean * s.mean));
    for (const auto& [colour, count] : colours) {
        const double share = static_cast<double>(count) / static_cast<double>(n);
        s.largestShare = std::max(s.largestShare, share);
        s.dominantColours += share >= 0.05;
    }
    return s;
}

}  // namespace

TEST(TourViews, EveryViewShowsMoreThanOneWall) {
    ASSERT_TRUE(fs::exists(kTour)) << kTour;
    const fs::path folder = fs::temp_directory_path() / ("calli-views-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (int i = 0; i < tourviews::kCount; ++i) {
        const std::string name = tourViews()[i].name;
        const fs::path shot = folder / (name + ".png");
        ASSERT_EQ(runTour("--view " + name + " --size 192x144 --quiet --shot " + shot.string()), 0) << name;
        ImageDecoder decoder;
        ImageDecoder::Image image;
        ASSERT_TRUE(decoder.decode(shot.c_str(), image)) << name << ": " << decoder.error();
        EXPECT_EQ(image.width, 192);
        EXPECT_EQ(image.height, 144);
        const Statistics s = statistics(image);
        EXPECT_GT(s.mean, 30) << name;
        EXPECT_LT(s.mean, 230) << name;
        EXPECT_GT(s.spread, 15) << name;
        EXPECT_LT(s.largestShare, 0.75) << name;
        EXPECT_GE(s.dominantColours, 2) << name;
        std::printf("view %-8s mean %5.1f spread %5.1f largest colour %4.2f dominant colours %d\n", name.c_str(),
                    s.mean, s.spread, s.largestShare, s.dominantColours);
    }
    fs::remove_all(folder);
}

TEST(TourViews, NamesAreUniqueAndTheirCamerasRegular) {
    for (int i = 0; i < tourviews::kCount; ++i) {
        const TourView& v = tourViews()[i];
        EXPECT_EQ(findView(v.name), &v) << v.name;
        EXPECT_GT((v.target - v.eye).length(), 1.0f) << v.name;
        EXPECT_GT(v.detail, 0.0f) << v.name;
        EXPECT_NE(std::string(v.what), "") << v.name;
        // On the ground the eye stands at a person's height or so.
        if (v.onGround) {
            EXPECT_LT(v.eye.y, 40.0f) << v.name;
        }
    }
    EXPECT_EQ(findView("nowhere"), nullptr);
    EXPECT_EQ(findView(""), nullptr);
}

TEST(TourViews, WrongViewOrShotIsRefused) {
    ASSERT_TRUE(fs::exists(kTour)) << kTour;
    EXPECT_EQ(runTour("--view nowhere"), 2);
    EXPECT_EQ(runTour("--view"), 2);
    EXPECT_EQ(runTour("--view street --shot picture.bmp"), 2);
    EXPECT_EQ(runTour("--shot"), 2);
    // No GL, no picture: said, and a failure.
    const fs::path shot = fs::temp_directory_path() / ("calli-noshot-" + std::to_string(getpid()) + ".png");
    EXPECT_EQ(runTour("--view start --no-render --frames 1 --quiet --shot " + shot.string()), 1);
    EXPECT_FALSE(fs::exists(shot));
    // A folder that does not exist cannot take it.
    EXPECT_EQ(runTour("--view start --frames 1 --size 32x24 --quiet --shot /nonexistent/folder/a.jpg"), 1);
}
