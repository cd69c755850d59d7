// The headless tour as a user calls it: its usage, its exit codes, and what it
// says without the data directory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kTour = CALLI_BIN_DIR "/callimora-tour";

struct Result {
    int code = -1;
    std::string out, err;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Result run(const fs::path& program, const std::string& arguments) {
    const fs::path folder = fs::temp_directory_path() / ("calli-tour-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string command = "SDL_VIDEODRIVER=offscreen '" + program.string() + "' " + arguments + " > '" +
                                (folder / "out").string() + "' 2> '" + (folder / "err").string() + "'";
    const int status = std::system(command.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readText(folder / "out");
    r.err = readText(folder / "err");
    fs::remove_all(folder);
    return r;
}

}  // namespace

TEST(Tour, HelpPrintsTheUsageAndExitsZero) {
    ASSERT_TRUE(fs::exists(kTour)) << kTour;
    const Result r = run(kTour, "--help");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("usage: callimora-tour", 0), 0u) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;

    // Every option of the synopsis has its own line saying what it does.
    const std::string synopsis = r.out.substr(0, r.out.find("\n  --"));
    const std::regex option("--[a-z-]+");
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(synopsis.begin(), synopsis.end(), option); it != std::sregex_iterator(); ++it)
        options.insert(it->str());
    EXPECT_GE(options.size(), 13u);
    EXPECT_TRUE(options.count("--no-impostors"));
    EXPECT_TRUE(options.count("--no-occlusion"));
    for (const std::string& o : options) {
        const std::regex described("\n  " + o + "( [A-Za-z,]+)? +[a-z][^\n]+");
        EXPECT_TRUE(std::regex_search(r.out, described)) << o << " is not described in\n" << r.out;
    }
}

TEST(Tour, WrongOptionPrintsTheUsageAndExitsTwo) {
    for (const char* arguments : {"--no-such-option", "--frames", "--size 3", "--frames 0", "--detail abc",
                                  "--detail inf", "--detail nan", "--detail 1e30", "--detail 0", "--frames 12abc",
                                  "--frames 99999999999", "--size 100000x100000", "--size 640x-1",
                                  "--size 640x480x", "--every -3", "--dump -2", "--export-format draco",
                                  "--jobs 0", "--shard 2/2", "--shard 1", "--shard -1/2", "--limit 0",
                                  "--budget 255", "--budget -1", "--budget 2k", "--target-fps -1",
                                  "--target-fps 1001", "--target-fps nan", "--hold -1"}) {
        const Result r = run(kTour, arguments);
        EXPECT_EQ(r.code, 2) << arguments;
        EXPECT_EQ(r.err.rfind("usage: callimora-tour", 0), 0u) << arguments << ": " << r.err;
    }
}

TEST(Tour, MissingDataDirectoryIsSaidAndFails) {
    ASSERT_TRUE(fs::exists(kTour)) << kTour;
    // A copy of the program in a folder with no data directory beside it.
    const fs::path sandbox = fs::temp_directory_path() / ("calli-tour-nodata-" + std::to_string(getpid()));
    fs::remove_all(sandbox);
    fs::create_directories(sandbox / "bin");
    fs::copy_file(kTour, sandbox / "bin" / "callimora-tour");
    const Result r = run(sandbox / "bin" / "callimora-tour", "--frames 2 --quiet");
    fs::remove_all(sandbox);
    EXPECT_EQ(r.code, 1) << r.out << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("callimora-tour: the data directory " + (sandbox / "data").string() + " was not found"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("`make`"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("callimora-datagen"), std::string::npos) << r.err;
}
