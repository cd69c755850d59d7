#include "editor/CameraStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/NullRenderContext.h"
#include "tests/editor/EditorTestFiles.h"

namespace {

StoredCamera sample() {
    StoredCamera c;
    c.eye = {1969, 29, 1417};
    c.target = {168.5f, -1953.25f, -8217};
    c.up = {0, 1, 0};
    c.detail = 0.4f;
    return c;
}

const char* const kSampleText = "(1969.00,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,1.00,0.00) x0.40";

}  // namespace

TEST(CameraStoreFormat, LineHasTwoDigitNumberAndTwoDecimals) {
    EXPECT_EQ(CameraStore::formatLine(0, sample()), std::string("Cam00: ") + kSampleText);
    EXPECT_EQ(CameraStore::formatLine(8, sample()).substr(0, 7), "Cam08: ");
    EXPECT_EQ(CameraStore::formatLine(123, sample()).substr(0, 8), "Cam123: ");
}

TEST(CameraStoreFormat, ParseReadsBackWhatFormatWrote) {
    StoredCamera c;
    ASSERT_TRUE(CameraStore::parseLine(CameraStore::formatLine(5, sample()), c));
    EXPECT_FLOAT_EQ(c.eye.x, 1969);
    EXPECT_FLOAT_EQ(c.target.y, -1953.25f);
    EXPECT_FLOAT_EQ(c.up.y, 1);
    EXPECT_FLOAT_EQ(c.detail, 0.4f);
}

TEST(CameraStoreFormat, PartialLineLeavesUnreadFieldsUnchanged) {
    StoredCamera c;
    c.eye = {7, 7, 7};
    c.target = {8, 8, 8};
    c.detail = 3.0f;
    EXPECT_FALSE(CameraStore::parseLine("Cam01: (1.00,2.00,3.00)(oops", c));
    EXPECT_FLOAT_EQ(c.eye.x, 1);
    EXPECT_FLOAT_EQ(c.eye.z, 3);
    EXPECT_FLOAT_EQ(c.target.x, 8);
    EXPECT_FLOAT_EQ(c.detail, 3.0f);
    EXPECT_FALSE(CameraStore::parseLine("garbage", c));
    EXPECT_FLOAT_EQ(c.eye.x, 1);
}

TEST(CameraStoreFile, FirstCameraIsNumberZeroWithTwoDigits) {
    ScratchFolder dir;
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    EXPECT_TRUE(store.lines().empty());
    store.camera = sample();
    ASSERT_TRUE(store.saveCurrent());
    ASSERT_EQ(store.lines().size(), 1u);
    EXPECT_EQ(store.lines()[0], std::string("Cam00: ") + kSampleText);
    EXPECT_EQ(readFile(store.path()), std::string("Cam00: ") + kSampleText + "\n");
    EXPECT_TRUE(store.status().empty());
}

TEST(CameraStoreFile, NumberingContinuesFromTheLastEntry) {
    ScratchFolder dir;
    std::string content;
    for (int i = 0; i <= 7; ++i)
        content += CameraStore::formatLine(i, sample()) + "\n";
    writeFile(dir.file("camaras.txt"), content);
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    store.camera = sample();
    ASSERT_EQ(store.lines().size(), 8u);
    // Deleting 0 to 6 keeps the last number: the next is still 8.
    for (int i = 0; i < 7; ++i)
        store.remove(0);
    // Nothing is written until the next save.
    EXPECT_EQ(readFile(store.path()), content);
    store.saveCurrent();
    EXPECT_EQ(readFile(store.path()),
              CameraStore::formatLine(7, sample()) + "\n" + CameraStore::formatLine(8, sample()) + "\n");
}

TEST(CameraStoreFile, LastEntryWithoutNumberRestartsAtZero) {
    ScratchFolder dir;
    writeFile(dir.file("camaras.txt"), "Cam04: (1,2,3)\nmy favourite view\n");
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    // Neither line is a usable camera: not listed, but kept in the file.
    EXPECT_TRUE(store.lines().empty());
    EXPECT_EQ(store.skipped(), 2);
    store.camera = sample();
    ASSERT_TRUE(store.saveCurrent());
    ASSERT_EQ(store.lines().size(), 1u);
    EXPECT_EQ(store.lines()[0].substr(0, 6), "Cam00:");
    EXPECT_EQ(readFile(store.path()), "Cam04: (1,2,3)\nmy favourite view\n" + store.lines()[0] + "\n");
}

TEST(CameraStoreFile, LastLineWithoutNewlineIsReadWhole) {
    ScratchFolder dir;
    const std::string first = CameraStore::formatLine(0, sample());
    const std::string last = CameraStore::formatLine(1, sample());
    writeFile(dir.file("camaras.txt"), first + "\n" + last);
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    ASSERT_EQ(store.lines().size(), 2u);
    EXPECT_EQ(store.lines()[0], first);
    EXPECT_EQ(store.lines()[1], last);
    store.camera.detail = 9.0f;
    ASSERT_TRUE(store.select(1));
    EXPECT_FLOAT_EQ(store.camera.detail, 0.4f);
}

TEST(CameraStoreFile, LongLinesAreReadWholeAndLineEndsStripped) {
    ScratchFolder dir;
    const std::string longLine = CameraStore::formatLine(3, sample()) + std::string(300, 'x');
    ASSERT_GT(longLine.size(), 300u);
    writeFile(dir.file("camaras.txt"), longLine + "\r\nCam04: short\r\n");
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    ASSERT_EQ(store.lines().size(), 1u);
    EXPECT_EQ(store.lines()[0], longLine);
    EXPECT_EQ(store.skipped(), 1);
    store.camera = sample();
    ASSERT_TRUE(store.saveCurrent());
    EXPECT_EQ(readFile(store.path()),
              longLine + "\nCam04: short\n" + CameraStore::formatLine(5, sample()) + "\n");
}

TEST(CameraStoreFile, UnreadableFileGivesAnEmptyList) {
    ScratchFolder dir;
    CameraStore missing(dir.file("nothing_here.txt"));
    missing.load();
    EXPECT_TRUE(missing.lines().empty());
    // A folder in place of the file cannot be read as lines either.
    CameraStore folder(dir.path().string());
    folder.load();
    EXPECT_TRUE(folder.lines().empty());
}

TEST(CameraStoreFile, UnwritableFileKeepsTheEntryAndSaysSo) {
    ScratchFolder dir;
    const std::string path = dir.file("no_such_folder/camaras.txt");
    CameraStore store(path);
    store.load();
    store.camera = sample();
    EXPECT_FALSE(store.saveCurrent());
    ASSERT_EQ(store.lines().size(), 1u);
    EXPECT_EQ(store.lines()[0].substr(0, 6), "Cam00:");
    EXPECT_EQ(store.status(), "Could not write " + path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(CameraStoreFile, SelectAndDeleteNeedAnEntry) {
    ScratchFolder dir;
    CameraStore store(dir.file("camaras.txt"));
    store.camera = sample();
    EXPECT_FALSE(store.select(0));
    EXPECT_FALSE(store.select(-1));
    store.remove(0);  // nothing to remove: no effect
    store.saveCurrent();
    store.camera = StoredCamera();
    EXPECT_TRUE(store.select(0));
    EXPECT_FLOAT_EQ(store.camera.eye.x, 1969);
    store.remove(0);
    EXPECT_TRUE(store.lines().empty());
}

TEST(CameraStoreCamera, CaptureAndApplyRestoreViewDetailAndFarDistance) {
    NullRenderContext ctx(500, 400);
    const Vector eye(100, 50, -20), target(400, 10, 300);
    ctx.setView(makeView(eye, target));
    ctx.setDetail(0.8f);
    CameraStore store("unused");
    store.capture(ctx, 5000.0f);
    EXPECT_NEAR(store.camera.eye.x, 100, 1e-3);
    EXPECT_NEAR(store.camera.eye.y, 50, 1e-3);
    EXPECT_NEAR((store.camera.target - store.camera.eye).length(), 5000.0f, 0.01f);
    EXPECT_FLOAT_EQ(store.camera.detail, 0.8f);

    NullRenderContext other(500, 400);
    const float far = store.apply(other);
    EXPECT_NEAR(far, 5000.0f, 0.01f);
    EXPECT_FLOAT_EQ(other.detail(), 0.8f);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(other.view.m[k], ctx.view.m[k], 1e-3f) << k;
}

TEST(CameraStoreCamera, TargetOnTheEyeIsNotApplied) {
    NullRenderContext ctx(500, 400);
    ctx.setView(makeView({1, 2, 3}, {4, 5, 6}));
    const Matrix44 before = ctx.view;
    CameraStore store("unused");
    store.camera.eye = store.camera.target = {9, 9, 9};
    EXPECT_EQ(store.apply(ctx), 0.0f);
    EXPECT_EQ(ctx.view, before);
}

// Lines that would give a singular or non-finite view, or a detail or far
// distance that is not positive, are skipped when read and never applied.
TEST(CameraStoreFile, UnusableLinesAreSkippedAndKept) {
    const std::string good = CameraStore::formatLine(0, sample());
    const std::string bad[] = {
        "Cam01: (0.00,100.00,0.00)(0.00,0.00,0.00)(0.00,1.00,0.00) x0.40",     // up along the view
        "Cam02: (1969.00,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,1.00,0.00) x-1.00",  // detail
        "Cam03: (1969.00,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,1.00,0.00) x0.00",
        "Cam04: (nan,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,1.00,0.00) x0.40",
        "Cam05: (1969.00,29.00,1417.00)(inf,-1953.25,-8217.00)(0.00,1.00,0.00) x0.40",
        "Cam06: (1969.00,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,0.00,0.00) x0.40",  // no up
        "Cam07: (1969.00,29.00,1417.00)(1e30,-1953.25,-8217.00)(0.00,1.00,0.00) x0.40",    // far overflows
        "Cam08: (5.00,5.00,5.00)(5.00,5.50,5.00)(1.00,0.00,0.00) x0.40",      // target within the near plane
        "Cam09: (5.00,5.00,5.00)(9.00,5.00,5.00)(1.00,0.00,0.00) x0.40",      // up along the view (sideways)
        "Cam10: (1969.00,29.00,1417.00)(168.50,-1953.25,-8217.00)(0.00,1.00,0.00) x-nan",
    };
    ScratchFolder dir;
    std::string content = good + "\n";
    for (const std::string& line : bad)
        content += line + "\n";
    writeFile(dir.file("camaras.txt"), content);
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    ASSERT_EQ(store.lines().size(), 1u);
    EXPECT_EQ(store.lines()[0], good);
    EXPECT_EQ(store.skipped(), 10);
    EXPECT_NE(store.status().find("Skipped 10 lines"), std::string::npos) << store.status();

    NullRenderContext ctx(500, 400);
    ctx.setView(makeView({1, 2, 3}, {4, 5, 6}));
    const Matrix44 before = ctx.view;
    for (const std::string& line : bad) {
        StoredCamera c = sample();
        CameraStore::parseLine(line, c);
        EXPECT_FALSE(CameraStore::usable(c)) << line;
        store.camera = c;
        EXPECT_EQ(store.apply(ctx), 0.0f) << line;
        EXPECT_EQ(ctx.view, before) << line;
        // Nothing unusable is ever written.
        EXPECT_FALSE(store.saveCurrent()) << line;
    }
    EXPECT_EQ(readFile(store.path()), content);
    ASSERT_TRUE(store.select(0));
    EXPECT_GT(store.apply(ctx), 0.0f);
    for (float e : ctx.view.m)
        EXPECT_TRUE(std::isfinite(e));
}

TEST(CameraStoreFile, NumberingGoesOnPastTheLargestInt) {
    ScratchFolder dir;
    writeFile(dir.file("camaras.txt"), CameraStore::formatLine(2147483647, sample()) + "\n");
    CameraStore store(dir.file("camaras.txt"));
    store.load();
    store.camera = sample();
    ASSERT_TRUE(store.saveCurrent());
    ASSERT_TRUE(store.saveCurrent());
    EXPECT_EQ(store.lines()[1].substr(0, 14), "Cam2147483648:");
    EXPECT_EQ(store.lines()[2].substr(0, 14), "Cam2147483649:");
    // Beyond 64 bits the number stays at the largest one.
    writeFile(dir.file("camaras.txt"), "Cam99999999999999999999999: x\n");
    store.load();
    ASSERT_TRUE(store.saveCurrent());
    EXPECT_EQ(store.lines()[0].substr(0, 23), "Cam9223372036854775807:");
    int64_t n = 0;
    EXPECT_TRUE(CameraStore::entryNumber("Cam-7: x", n));
    EXPECT_EQ(n, -7);
    EXPECT_FALSE(CameraStore::entryNumber("Camera", n));
}
