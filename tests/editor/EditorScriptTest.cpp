#include "editor/EditorScript.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "editor/KeyboardInput.h"

TEST(EditorScript, StepsRunForTheirFrames) {
    EditorScript script;
    ASSERT_TRUE(script.parse("hold Ctrl+Up 2; wait 1\nmenu Step...;type 2.5; press OK ;quit"));
    ASSERT_EQ(script.steps().size(), 6u);
    KeyboardInput keyboard;
    keyboard.setSubstitute(&script.keyState());
    EXPECT_EQ(script.current().kind, EditorScript::Kind::Hold);
    EXPECT_TRUE(script.starting());
    EXPECT_EQ(keyboard.poll(), 6);
    script.advance();
    EXPECT_FALSE(script.starting());
    EXPECT_EQ(keyboard.poll(), 6);
    script.advance();
    EXPECT_EQ(script.current().kind, EditorScript::Kind::Wait);
    EXPECT_EQ(keyboard.poll(), 0);
    script.advance();
    EXPECT_EQ(script.current().kind, EditorScript::Kind::Menu);
    EXPECT_EQ(script.current().text, "Step...");
    script.advance();
    EXPECT_EQ(script.current().text, "2.5");
    script.advance();
    EXPECT_EQ(script.current().kind, EditorScript::Kind::Press);
    EXPECT_EQ(script.current().text, "OK");
    script.advance();
    EXPECT_EQ(script.current().kind, EditorScript::Kind::Quit);
    script.advance();
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(keyboard.poll(), 0);
}

TEST(EditorScript, ReadsResizeCaptureAndAssert) {
    EditorScript script;
    ASSERT_TRUE(script.parse("resize 640 480\ncapture ../window.bmp\nassert\npress Save current"));
    EXPECT_EQ(script.steps()[0].width, 640);
    EXPECT_EQ(script.steps()[0].height, 480);
    EXPECT_EQ(script.steps()[1].text, "../window.bmp");
    EXPECT_EQ(script.steps()[2].kind, EditorScript::Kind::Assert);
    EXPECT_EQ(script.steps()[3].text, "Save current");
}

TEST(EditorScript, RefusesWhatItCannotRead) {
    EditorScript script;
    for (const char* bad : {"hold Up", "hold Q 3", "hold Up 0", "hold Up -2", "wait x", "resize 10", "fly 3",
                            "menu", "quit now", "resize 10 20 30", "hold Up+ 2"}) {
        EXPECT_FALSE(script.parse(bad)) << bad;
        EXPECT_FALSE(script.error().empty()) << bad;
        EXPECT_TRUE(script.finished()) << bad;
    }
    EXPECT_TRUE(script.parse(""));
    EXPECT_TRUE(script.finished());
}
