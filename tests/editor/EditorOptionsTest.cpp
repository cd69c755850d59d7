// The viewer's command line: every option with good and bad values, the
// camera looked up in a camera file by label or number, and --help.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorOptions.h"
#include "tests/editor/EditorTestFiles.h"

namespace {

// Parses the words as the arguments after the program name.
bool parse(EditorOptions& o, std::vector<std::string> words) {
    std::vector<const char*> argv{"callimora"};
    for (const std::string& w : words)
        argv.push_back(w.c_str());
    return o.parse(static_cast<int>(argv.size()), argv.data());
}

}  // namespace

TEST(EditorOptions, NothingGivenStartsAsAlways) {
    EditorOptions o;
    ASSERT_TRUE(parse(o, {}));
    EXPECT_EQ(o.start.seed, 9236u);
    EXPECT_EQ(o.start.width, 500);
    EXPECT_EQ(o.start.height, 400);
    EXPECT_FALSE(o.start.cameraGiven);
    EXPECT_FALSE(o.start.detailGiven);
    EXPECT_FALSE(o.start.autopilot);
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.cameraName.empty());
}

TEST(EditorOptions, EveryOptionTakesItsValue) {
    EditorOptions o;
    ASSERT_TRUE(parse(o, {"--seed", "42", "--size", "960x720", "--camera", "Cam03", "--detail", "1.5",
                          "--autopilot"}))
        << o.error();
    EXPECT_EQ(o.start.seed, 42u);
    EXPECT_EQ(o.start.width, 960);
    EXPECT_EQ(o.start.height, 720);
    EXPECT_EQ(o.cameraName, "Cam03");
    EXPECT_TRUE(o.start.detailGiven);
    EXPECT_FLOAT_EQ(o.start.detail, 1.5f);
    EXPECT_TRUE(o.start.autopilot);

    // Seeds cover the whole 32 bits; negative ones are those "Seed" shows below zero.
    struct {
        const char* text;
        uint32_t seed;
    } seeds[] = {{"0", 0u}, {"4294967295", 4294967295u}, {"-1", 4294967295u}, {"-2147483648", 2147483648u}};
    for (const auto& s : seeds) {
        EditorOptions e;
        ASSERT_TRUE(parse(e, {"--seed", s.text})) << s.text << ": " << e.error();
        EXPECT_EQ(e.start.seed, s.seed) << s.text;
    }
    // The last of a repeated option holds; the size's bounds are accepted.
    EditorOptions r;
    ASSERT_TRUE(parse(r, {"--size", "64x64", "--size", "8192x8192"})) << r.error();
    EXPECT_EQ(r.start.width, 8192);
    EditorOptions d;
    ASSERT_TRUE(parse(d, {"--detail", "0.05"})) << d.error();
    ASSERT_TRUE(parse(d, {"--detail", "3"})) << d.error();
}

TEST(EditorOptions, WrongArgumentsAreRefusedWithTheReason) {
    const struct {
        std::vector<std::string> words;
        const char* reason;
    } wrong[] = {
        {{"--no-such-option"}, "unknown option --no-such-option"},
        {{"seed"}, "unknown option seed"},
        {{"--seed"}, "--seed needs a value"},
        {{"--seed", "abc"}, "--seed abc"},
        {{"--seed", "12abc"}, "--seed 12abc"},
        {{"--seed", ""}, "--seed "},
        {{"--seed", " 5"}, "--seed  5"},
        {{"--seed", "4294967296"}, "--seed 4294967296"},
        {{"--seed", "-2147483649"}, "--seed -2147483649"},
        {{"--seed", "99999999999999999999999"}, "--seed 9999"},
        {{"--size", "640"}, "--size 640"},
        {{"--size", "640x"}, "--size 640x"},
        {{"--size", "x480"}, "--size x480"},
        {{"--size", "640x480x"}, "--size 640x480x"},
        {{"--size", "63x480"}, "--size 63x480"},
        {{"--size", "640x8193"}, "--size 640x8193"},
        {{"--size", "-640x480"}, "--size -640x480"},
        {{"--size"}, "--size needs a value"},
        {{"--detail", "0"}, "--detail 0"},
        {{"--detail", "0.04"}, "--detail 0.04"},
        {{"--detail", "3.5"}, "--detail 3.5"},
        {{"--detail", "nan"}, "--detail nan"},
        {{"--detail", "inf"}, "--detail inf"},
        {{"--detail", "1e30"}, "--detail 1e30"},
        {{"--detail", "1,5"}, "--detail 1,5"},
        {{"--detail"}, "--detail needs a value"},
        {{"--camera"}, "--camera needs a value"},
        {{"--camera", ""}, "--camera needs a name"},
        {{"--autopilot", "--seed", "1", "--bogus"}, "unknown option --bogus"},
    };
    for (const auto& w : wrong) {
        EditorOptions o;
        EXPECT_FALSE(parse(o, w.words)) << w.reason;
        EXPECT_EQ(o.error().rfind(w.reason, 0), 0u) << "'" << o.error() << "' for " << w.reason;
    }
}

TEST(EditorOptions, HelpAnywhereWinsOverWrongArguments) {
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"--help"}, {"--bogus", "--help"}, {"--seed", "x", "--help"}, {"--help", "--size", "1x1"}}) {
        EditorOptions o;
        EXPECT_TRUE(parse(o, words));
        EXPECT_TRUE(o.help);
    }
}

TEST(EditorOptions, UsageNamesEveryOption) {
    ScratchFolder folder;
    const std::string path = folder.file("usage.txt");
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    EditorOptions::usage(f);
    std::fclose(f);
    const std::string text = readFile(path);
    EXPECT_EQ(text.rfind("usage: callimora ", 0), 0u) << text;
    for (const char* option : {"--seed N", "--size WxH", "--camera NAME", "--detail X", "--autopilot", "--help"})
        EXPECT_NE(text.find(std::string("\n  ") + option), std::string::npos) << option << " in\n" << text;
}

TEST(EditorOptions, CameraIsFoundByLabelOrNumber) {
    ScratchFolder folder;
    const std::string path = folder.file("camaras.txt");
    writeFile(path,
              "Cam00: (1.00,2.00,3.00)(10.00,2.00,3.00)(0.00,1.00,0.00) x0.40\n"
              "Cam07: (5.00,6.00,7.00)(5.00,6.00,100.00)(0.00,1.00,0.00) x1.20\n"
              "Cam08: (nan,6.00,7.00)(5.00,6.00,100.00)(0.00,1.00,0.00) x1.20\n"
              "Cam12: (9.00,9.00,9.00)(9.00,9.00,-50.00)(0.00,1.00,0.00) x0.80\n");
    CameraStore store(path);
    store.load();
    ASSERT_EQ(store.lines().size(), 3u);

    EditorOptions byLabel;
    ASSERT_TRUE(parse(byLabel, {"--camera", "Cam07"}));
    ASSERT_TRUE(byLabel.findCamera(store)) << byLabel.error();
    EXPECT_TRUE(byLabel.start.cameraGiven);
    EXPECT_EQ(byLabel.start.camera.eye, Vector(5, 6, 7));
    EXPECT_EQ(byLabel.start.camera.target, Vector(5, 6, 100));
    EXPECT_FLOAT_EQ(byLabel.start.camera.detail, 1.2f);

    EditorOptions byNumber;
    ASSERT_TRUE(parse(byNumber, {"--camera", "12"}));
    ASSERT_TRUE(byNumber.findCamera(store)) << byNumber.error();
    EXPECT_EQ(byNumber.start.camera.eye, Vector(9, 9, 9));
    EditorOptions zero;
    ASSERT_TRUE(parse(zero, {"--camera", "0"}));
    ASSERT_TRUE(zero.findCamera(store)) << zero.error();
    EXPECT_EQ(zero.start.camera.eye, Vector(1, 2, 3));

    // Not there, not usable (Cam08 holds a nan), or only part of a label: refused, naming what is there.
    for (const char* name : {"Cam08", "8", "Cam7", "Cam", "cam07", "Cam07:", "7x", "Cam99"}) {
        EditorOptions o;
        ASSERT_TRUE(parse(o, {"--camera", name}));
        EXPECT_FALSE(o.findCamera(store)) << name;
        EXPECT_FALSE(o.start.cameraGiven) << name;
        EXPECT_NE(o.error().find(std::string("no camera named ") + name + " in " + path), std::string::npos)
            << o.error();
        EXPECT_NE(o.error().find("Cam00, Cam07, Cam12"), std::string::npos) << o.error();
    }
    // No --camera: nothing to look up.
    EditorOptions none;
    EXPECT_TRUE(none.findCamera(store));
    EXPECT_FALSE(none.start.cameraGiven);

    // A missing file holds no camera.
    CameraStore missing(folder.file("none.txt"));
    missing.load();
    EditorOptions o;
    ASSERT_TRUE(parse(o, {"--camera", "Cam00"}));
    EXPECT_FALSE(o.findCamera(missing));
    EXPECT_NE(o.error().find("(it holds none)"), std::string::npos) << o.error();
}
