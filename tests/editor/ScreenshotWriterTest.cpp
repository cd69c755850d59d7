#include "editor/ScreenshotWriter.h"

#include <gtest/gtest.h>

#include "tests/editor/EditorTestFiles.h"

namespace {
std::function<bool(const std::string&)> writer(int& calls) {
    return [&calls](const std::string& name) {
        ++calls;
        writeFile(name, "new picture");
        return true;
    };
}
}  // namespace

TEST(ScreenshotWriter, DefaultNamesGoToTheParentFolderWithThreeDigits) {
    ScratchFolder dir;
    ScreenshotWriter shots((dir.path() / "screenshot%03d.bmp").string());
    EXPECT_EQ(shots.nextName(), dir.file("screenshot000.bmp"));
    EXPECT_STREQ(ScreenshotWriter::kDefaultPattern, "../screenshot%03d.bmp");
}

TEST(ScreenshotWriter, SuccessfulSavesCountUpAndReport) {
    ScratchFolder dir;
    ScreenshotWriter shots((dir.path() / "screenshot%03d.bmp").string());
    int calls = 0;
    std::string status = "before";
    ASSERT_TRUE(shots.take(writer(calls), status));
    EXPECT_EQ(status, "Saved screenshot to " + dir.file("screenshot000.bmp"));
    ASSERT_TRUE(shots.take(writer(calls), status));
    EXPECT_EQ(status, "Saved screenshot to " + dir.file("screenshot001.bmp"));
    EXPECT_EQ(shots.counter(), 2);
}

TEST(ScreenshotWriter, FailedSaveChangesNothing) {
    ScratchFolder dir;
    ScreenshotWriter shots((dir.path() / "screenshot%03d.bmp").string());
    std::string status = "before";
    std::string tried;
    EXPECT_FALSE(shots.take(
        [&](const std::string& name) {
            tried = name;
            return false;
        },
        status));
    EXPECT_EQ(status, "before");
    EXPECT_EQ(shots.counter(), 0);
    EXPECT_EQ(shots.nextName(), tried);
}

TEST(ScreenshotWriter, ExistingPicturesAreNeverOverwritten) {
    ScratchFolder dir;
    writeFile(dir.file("screenshot000.bmp"), "old 0");
    writeFile(dir.file("screenshot001.bmp"), "old 1");
    writeFile(dir.file("screenshot003.bmp"), "old 3");
    ScreenshotWriter shots((dir.path() / "screenshot%03d.bmp").string());
    int calls = 0;
    std::string status;
    ASSERT_TRUE(shots.take(writer(calls), status));
    EXPECT_EQ(status, "Saved screenshot to " + dir.file("screenshot002.bmp"));
    ASSERT_TRUE(shots.take(writer(calls), status));
    EXPECT_EQ(status, "Saved screenshot to " + dir.file("screenshot004.bmp"));
    EXPECT_EQ(readFile(dir.file("screenshot000.bmp")), "old 0");
    EXPECT_EQ(readFile(dir.file("screenshot001.bmp")), "old 1");
    EXPECT_EQ(readFile(dir.file("screenshot003.bmp")), "old 3");
    EXPECT_EQ(readFile(dir.file("screenshot004.bmp")), "new picture");
    // A picture appearing after the counter moved on is skipped as well.
    writeFile(dir.file("screenshot005.bmp"), "someone else's");
    EXPECT_EQ(shots.nextName(), dir.file("screenshot006.bmp"));
}
