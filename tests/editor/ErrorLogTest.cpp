#include "editor/ErrorLog.h"

#include <gtest/gtest.h>

#include "core/Assert.h"
#include "tests/editor/EditorTestFiles.h"

namespace {
const char* const kCamera = "(1969.00,29.00,1417.00)(168.00,-1953.00,-8217.00)(0.00,1.00,0.00) x0.40";
}

TEST(ErrorLog, MessageNamesSourceLineAndCamera) {
    const AssertException error("core/Desc", 99, "count < kMaxChildren");
    EXPECT_EQ(ErrorLog::message(error, kCamera), std::string("Assert failed: core/Desc 99\n") + kCamera);
    EXPECT_EQ(ErrorLog::message(error, nullptr), "Assert failed: core/Desc 99\n");
}

TEST(ErrorLog, EveryEntryIsAppended) {
    ScratchFolder dir;
    const std::string path = dir.file("error.txt");
    writeFile(path, "earlier entry\n");
    ErrorLog log(path);
    const AssertException first("core/Desc", 99, "a");
    const AssertException second("navigation/Agent", 241, "b");
    ASSERT_TRUE(log.append(ErrorLog::message(first, kCamera)));
    ASSERT_TRUE(log.append(ErrorLog::message(second, kCamera)));
    EXPECT_EQ(readFile(path), std::string("earlier entry\n") + "Assert failed: core/Desc 99\n" + kCamera + "\n" +
                                  "Assert failed: navigation/Agent 241\n" + kCamera + "\n");
}

TEST(ErrorLog, CaughtFromAFailedCheck) {
    try {
        CALLI_ASSERT(1 + 1 == 3);
        FAIL() << "no exception";
    } catch (const AssertException& e) {
        const std::string text = ErrorLog::message(e, kCamera);
        EXPECT_EQ(text.rfind("Assert failed: editor/ErrorLogTest ", 0), 0u) << text;
    }
}

TEST(ErrorLog, MissingFolderWritesNothing) {
    ScratchFolder dir;
    const std::string path = dir.file("no_such_folder/error.txt");
    ErrorLog log(path);
    EXPECT_FALSE(log.append("Assert failed: core/Desc 99\nx"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no_such_folder")));
}
