// The desktop program run for real: under a virtual X server (xvfb-run) when
// there is one, else on SDL's offscreen driver, with scripted keys, menus and
// dialogs, in a sandbox folder so that its screenshots, camera file and error
// log do not touch the repository. Runs only when CALLIMORA_SMOKE names the
// program (its own CTest entry sets it).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editor/CameraStore.h"
#include "renderer/ImageDecoder.h"

namespace fs = std::filesystem;

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

bool load(const fs::path& path, Picture& picture) {
    ImageDecoder decoder;
    ImageDecoder::Image image;
    if (!decoder.decode(path.string().c_str(), image))
        return false;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb.clear();
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        picture.rgb.insert(picture.rgb.end(), image.rgba.begin() + static_cast<std::ptrdiff_t>(i),
                           image.rgba.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    return true;
}

// Mean and spread of the brightness over rows [y0, y1).
void brightness(const Picture& p, int y0, int y1, double& mean, double& spread) {
    double sum = 0, squares = 0;
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* c = p.at(x, y);
            const double v = (c[0] + c[1] + c[2]) / 3.0;
            sum += v;
            squares += v * v;
            ++n;
        }
    mean = sum / n;
    spread = std::sqrt(std::max(0.0, squares / n - mean * mean));
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class EditorSmoke : public ::testing::Test {
protected:
    void SetUp() override {
        const char* program = std::getenv("CALLIMORA_SMOKE");
        if (!program || !*program)
            GTEST_SKIP() << "CALLIMORA_SMOKE does not name the program";
        program_ = program;
        const fs::path data = fs::path(program_).parent_path().parent_path() / "data";
        ASSERT_TRUE(fs::is_directory(data)) << data;
        // The process id keeps runs from several checkouts out of each other's folders.
        sandbox_ = fs::temp_directory_path() /
                   ("callimora_smoke_" + std::to_string(getpid()) + "_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(sandbox_);
        fs::create_directories(sandbox_ / "bin");
        fs::create_directories(sandbox_ / "data");
        // The program starts from its own folder: a copy of it, beside the
        // generated data but not the user's camera file and error log.
        fs::copy_file(program_, sandbox_ / "bin" / "callimora");
        for (const auto& entry : fs::directory_iterator(data)) {
            const std::string name = entry.path().filename().string();
            if (name != "camaras.txt" && name != "error.txt")
                fs::create_symlink(entry.path(), sandbox_ / "data" / name);
        }
    }
    void TearDown() override {
        std::error_code ignored;
        if (!sandbox_.empty() && !HasFailure())
            fs::remove_all(sandbox_, ignored);
    }

    // Runs the program with the script and the command line; returns its exit code.
    int run(const std::string& script, const std::string& arguments = "") {
        const bool xvfb = std::system("command -v xvfb-run > /dev/null 2>&1") == 0;
        setenv("CALLIMORA_SCRIPT", script.c_str(), 1);
        const char* previousDriver = std::getenv("SDL_VIDEODRIVER");
        const std::string keptDriver = previousDriver ? previousDriver : "";
        if (xvfb)
            unsetenv("SDL_VIDEODRIVER");
        else
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        // The program's own exit status goes to a file: xvfb-run now and then
        // fails to remove its temporary folder afterwards and exits 5 itself.
        const fs::path statusFile = sandbox_ / "status.txt";
        fs::remove(statusFile);
        const std::string command = "cd '" + (sandbox_ / "bin").string() + "' && " +
                                    (xvfb ? "xvfb-run -a -s '-screen 0 800x600x24' " : "") +
                                    "sh -c './callimora " + arguments +
                                    " > ../output.txt 2>&1; echo $? > ../status.txt'";
        const int status = std::system(command.c_str());
        unsetenv("CALLIMORA_SCRIPT");
        if (!keptDriver.empty())
            setenv("SDL_VIDEODRIVER", keptDriver.c_str(), 1);
        output_ = readText(sandbox_ / "output.txt");
        const std::string code = readText(statusFile);
        if (!code.empty())
            return std::atoi(code.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string program_;
    fs::path sandbox_;
    std::string output_;
};

}  // namespace

TEST_F(EditorSmoke, FliesThroughTheTownWithMenusDialogsAndScreenshots) {
    const std::string script =
        // The brightness figures below are those of the classic light.
        "wait 20; menu Sky light; hold Up 40; hold Right 15; hold Ctrl+Down 5; hold Shift+Left 10; hold Alt+Up 10\n"
        "hold Shift+V 2; hold Shift+F 1\n"
        "menu Help; wait 3; press Close; wait 2\n"
        "menu Step...; wait 2; type abc; press OK; wait 2; type 2.5; wait 1; press Up; wait 1; press OK; wait 2\n"
        "menu Step...; wait 2; press Down; wait 1; press Cancel; wait 2\n"
        "menu Detail...; wait 2; press Up; wait 1; press Cancel; wait 2\n"
        "menu Resources...; wait 2; press OK; wait 2\n"
        "menu Cameras; wait 2; press Save current; wait 2; press Close; wait 2\n"
        "menu Info; wait 5; menu Info; menu Properties; wait 3; menu Properties\n"
        // Every list on its own for a while, then merged groups again.
        "menu Batching; hold Up 10; menu Batching; wait 3\n"
        "hold Up 30; hold S 1; wait 3; capture ../window.bmp; wait 2\n"
        "resize 400 300; wait 30; hold S 1; wait 3; quit";
    ASSERT_EQ(run(script), 0) << output_;

    // The dialogs worked: letters refused, 2.5 doubled to 5 and kept through
    // a cancelled dialog.
    // F doubled the far distance (the camera store, closed, re-applies it from
    // the stored eye and target); the resize took.
    const auto done = output_.find("script done:");
    ASSERT_NE(done, std::string::npos) << output_;
    long ticks = 0;
    float step = 0, far = 0;
    int width = 0, height = 0;
    ASSERT_EQ(std::sscanf(output_.c_str() + done, "script done: ticks=%ld step=%f far=%f viewport=%dx%d", &ticks,
                          &step, &far, &width, &height),
              5)
        << output_;
    EXPECT_GT(ticks, 150);
    EXPECT_FLOAT_EQ(step, 5.0f);
    EXPECT_NEAR(far, 20002.0f, 0.05f);
    EXPECT_EQ(width, 400);
    EXPECT_EQ(height, 300);
    EXPECT_NE(output_.find("status=\"Saved screenshot to ../screenshot001.bmp\""), std::string::npos) << output_;

    // The camera store wrote its first entry.
    EXPECT_EQ(readText(sandbox_ / "data" / "camaras.txt").rfind("Cam00: (", 0), 0u);

    Picture shot, window, small;
    ASSERT_TRUE(load(sandbox_ / "screenshot000.bmp", shot));
    ASSERT_TRUE(load(sandbox_ / "window.bmp", window));
    ASSERT_TRUE(load(sandbox_ / "screenshot001.bmp", small));
    EXPECT_EQ(shot.width, 500);
    EXPECT_EQ(shot.height, 400);
    EXPECT_EQ(small.width, 400);
    EXPECT_EQ(small.height, 300);

    // The town: the lower half is ground and buildings, full of detail, and
    // unlike the sky at the top.
    double skyMean, skySpread, groundMean, groundSpread;
    brightness(shot, 0, 20, skyMean, skySpread);
    brightness(shot, 200, 400, groundMean, groundSpread);
    EXPECT_GT(groundSpread, 8.0);
    EXPECT_GT(std::fabs(groundMean - skyMean), 15.0);
    double smallMean, smallSpread;
    brightness(small, 150, 300, smallMean, smallSpread);
    EXPECT_GT(smallSpread, 8.0);

    // The menu bar: a flat dark band over the top of the window where the
    // rendered frame has sky, with the light letters of the menu titles.
    int dark = 0, letters = 0;
    const int band = 16;
    for (int y = 0; y < band; ++y)
        for (int x = 0; x < window.width; ++x) {
            const unsigned char* c = window.at(x, y);
            const int v = (c[0] + c[1] + c[2]) / 3;
            if (v < 60 && std::abs(c[0] - c[2]) < 8)
                ++dark;
            if (v > 170)
                ++letters;
        }
    EXPECT_GT(dark, window.width * band * 6 / 10);
    EXPECT_GT(letters, 40);
}

TEST_F(EditorSmoke, FailedAssertionIsLoggedShownAndEndsTheProgram) {
    const int code = run("wait 5; assert; wait 50");
    EXPECT_EQ(code, 3) << output_;
    const std::string log = readText(sandbox_ / "data" / "error.txt");
    EXPECT_EQ(log.rfind("Assert failed: editor/EditorWindow ", 0), 0u) << log;
    // Two lines: the source and line, then the camera.
    ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_EQ(log[log.find('\n') + 1], '(') << log;
    EXPECT_NE(output_.find("Assert failed: editor/EditorWindow "), std::string::npos) << output_;
}

TEST_F(EditorSmoke, AutopilotAndCrowdWalkOnThroughAResizeThatRebuildsTheTown) {
    const std::string script =
        "wait 20; hold S 1; wait 3\n"
        "menu Autopilot; menu NPCs; menu Collisions; wait 100; hold S 1; wait 3\n"
        "resize 400 300; wait 40\n"
        "menu Pilot settings...; wait 2; press OK; wait 30; hold S 1; wait 3; quit";
    ASSERT_EQ(run(script), 0) << output_;
    ASSERT_NE(output_.find("script done:"), std::string::npos) << output_;

    // The camera left the hill for the streets: the two pictures differ.
    Picture before, walking, after;
    ASSERT_TRUE(load(sandbox_ / "screenshot000.bmp", before));
    ASSERT_TRUE(load(sandbox_ / "screenshot001.bmp", walking));
    ASSERT_TRUE(load(sandbox_ / "screenshot002.bmp", after));
    ASSERT_EQ(before.width, walking.width);
    ASSERT_EQ(before.height, walking.height);
    double difference = 0;
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x)
            for (int c = 0; c < 3; ++c)
                difference += std::abs(before.at(x, y)[c] - walking.at(x, y)[c]);
    difference /= 3.0 * before.width * before.height;
    EXPECT_GT(difference, 10.0);
    // Still walking over the rebuilt town after the resize.
    double mean, spread;
    brightness(after, after.height / 2, after.height, mean, spread);
    EXPECT_GT(spread, 8.0);
}

TEST_F(EditorSmoke, UnwritableErrorLogIsSaidInTheMessage) {
    // A folder where the log should be: it cannot be opened for appending,
    // whoever runs the test.
    fs::create_directories(sandbox_ / "data" / "error.txt");
    const int code = run("wait 5; assert; wait 50");
    EXPECT_EQ(code, 3) << output_;
    EXPECT_NE(output_.find("Assert failed: editor/EditorWindow "), std::string::npos) << output_;
    EXPECT_NE(output_.find("error.txt could not be written"), std::string::npos) << output_;
}

TEST_F(EditorSmoke, MissingDataDirectoryIsSaidOnOneLine) {
    fs::remove_all(sandbox_ / "data");
    EXPECT_EQ(run("wait 5; quit"), 0) << output_;
    EXPECT_NE(output_.find("callimora: the data directory "), std::string::npos) << output_;
    EXPECT_NE(output_.find("was not found: make it with `make`"), std::string::npos) << output_;
}

// Every setting key held for 500 frames, with moves and stored cameras at
// the extremes: the program keeps a finite camera, stores only finite
// numbers, still shows the town afterwards and exits normally.
TEST_F(EditorSmoke, SettingKeysHeldForLongKeepTheCameraUsable) {
    const std::string cameras = "menu Cameras; wait 2; press Save current; wait 2; press Close; wait 2\n";
    const std::string script = "wait 10; hold F 500; hold Shift+D 500; hold D 500; hold Shift+V 500; hold Up 20\n" +
                               cameras + "hold Down 20; hold V 500; hold Shift+F 500\n" + cameras +
                               "hold F 6; hold Shift+D 3; hold Shift+V 7; hold Up 5; hold Right 5\n"
                               "hold S 1; wait 3; quit";
    ASSERT_EQ(run(script), 0) << output_;
    const auto done = output_.find("script done:");
    ASSERT_NE(done, std::string::npos) << output_;
    long ticks = 0;
    float step = 0, far = 0;
    ASSERT_EQ(std::sscanf(output_.c_str() + done, "script done: ticks=%ld step=%f far=%f", &ticks, &step, &far), 3)
        << output_;
    EXPECT_GT(ticks, 3000);
    EXPECT_FLOAT_EQ(step, 1.28f);
    EXPECT_FLOAT_EQ(far, 15625.0f);

    // Two stored cameras, every number finite and each usable again.
    const std::string file = readText(sandbox_ / "data" / "camaras.txt");
    std::istringstream lines(file);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
        StoredCamera camera;
        EXPECT_TRUE(CameraStore::parseLine(line, camera)) << line;
        EXPECT_TRUE(CameraStore::usable(camera)) << line;
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
        EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    }
    EXPECT_EQ(count, 2) << file;

    // The town is there, not a uniform frame: sky above, street and
    // buildings below.
    Picture shot;
    ASSERT_TRUE(load(sandbox_ / "screenshot000.bmp", shot));
    double skyMean, skySpread, groundMean, groundSpread, mean, spread;
    brightness(shot, 0, 20, skyMean, skySpread);
    brightness(shot, 200, 400, groundMean, groundSpread);
    brightness(shot, 0, 400, mean, spread);
    EXPECT_GT(spread, 20.0);
    EXPECT_GT(groundSpread, 3.0);
    EXPECT_GT(std::fabs(groundMean - skyMean), 15.0);
}

TEST_F(EditorSmoke, CommandLineSetsSeedSizeCameraAndAutopilot) {
    writeText(sandbox_ / "data" / "camaras.txt",
              "Cam03: (1969.00,29.00,1417.00)(168.00,-1953.00,-8217.00)(0.00,1.00,0.00) x0.40\n"
              "Cam04: (2500.00,300.00,1500.00)(2750.00,0.00,1550.00)(0.00,1.00,0.00) x1.50\n");
    // Two screenshots of the same view: with the sky light (as at start), then without.
    ASSERT_EQ(run("wait 20; hold S 1; wait 3; menu Sky light; wait 5; hold S 1; wait 3; quit",
                  "--seed 77 --size 320x240 --camera Cam04"),
              0)
        << output_;
    EXPECT_NE(output_.find("viewport=320x240"), std::string::npos) << output_;
    float x = 0, y = 0, z = 0;
    const size_t state = output_.find("script state: seed=77 ");
    ASSERT_NE(state, std::string::npos) << output_;
    ASSERT_EQ(std::sscanf(output_.c_str() + output_.find("eye=", state), "eye=%f,%f,%f", &x, &y, &z), 3) << output_;
    EXPECT_NEAR(x, 2500, 0.05f);
    EXPECT_NEAR(y, 300, 0.05f);
    EXPECT_NEAR(z, 1500, 0.05f);
    EXPECT_NE(output_.find("autopilot=0"), std::string::npos) << output_;
    Picture sky, classic;
    ASSERT_TRUE(load(sandbox_ / "screenshot000.bmp", sky));
    ASSERT_TRUE(load(sandbox_ / "screenshot001.bmp", classic));
    ASSERT_EQ(sky.width, 320);
    // The town below the horizon is lighter under the sky light; the sky stays the sky.
    double skyTown, skySpread, classicTown, classicSpread;
    brightness(sky, 120, 240, skyTown, skySpread);
    brightness(classic, 120, 240, classicTown, classicSpread);
    EXPECT_GT(skyTown, classicTown + 10) << skyTown << " " << classicTown;

    // The autopilot walks from the start: the camera leaves the start view.
    ASSERT_EQ(run("wait 30; quit", "--autopilot --detail 0.3"), 0) << output_;
    EXPECT_NE(output_.find("script state: seed=9236 "), std::string::npos) << output_;
    EXPECT_NE(output_.find("autopilot=1"), std::string::npos) << output_;
    EXPECT_EQ(output_.find("eye=1969.00,29.00,1417.00"), std::string::npos) << output_;
}

TEST_F(EditorSmoke, WrongCommandLineShowsTheUsageBeforeAnyWindow) {
    writeText(sandbox_ / "data" / "camaras.txt",
              "Cam00: (1969.00,29.00,1417.00)(168.00,-1953.00,-8217.00)(0.00,1.00,0.00) x0.40\n");
    const struct {
        const char* arguments;
        const char* reason;
    } wrong[] = {
        {"--bogus", "callimora: unknown option --bogus"},
        {"--seed abc", "callimora: --seed abc:"},
        {"--size 10x10", "callimora: --size 10x10:"},
        {"--detail 9", "callimora: --detail 9:"},
        {"--camera Cam05", "callimora: no camera named Cam05 in ../data/camaras.txt (it holds Cam00)"},
        {"--autopilot --size", "callimora: --size needs a value"},
    };
    for (const auto& w : wrong) {
        EXPECT_EQ(run("wait 5; quit", w.arguments), 2) << w.arguments << "\n" << output_;
        EXPECT_EQ(output_.rfind(w.reason, 0), 0u) << w.arguments << "\n" << output_;
        EXPECT_NE(output_.find("\nusage: callimora "), std::string::npos) << output_;
        // Refused before the window: nothing ran.
        EXPECT_EQ(output_.find("script done"), std::string::npos) << output_;
    }
    ASSERT_EQ(run("wait 5; quit", "--help"), 0) << output_;
    EXPECT_EQ(output_.rfind("usage: callimora ", 0), 0u) << output_;
    EXPECT_EQ(output_.find("script done"), std::string::npos) << output_;
}
