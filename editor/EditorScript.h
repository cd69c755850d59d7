#pragma once
// A scripted session for unattended runs (the window smoke test): the text of
// the environment variable CALLIMORA_SCRIPT, steps separated by ';' or new
// lines, each consuming frames of the main loop:
//   hold <key>[+<key>...] <frames>   keys held (Up Down Left Right Ctrl Alt Shift D F V S)
//   wait <frames>                    nothing held
//   menu <item>                      a menu command by its text ("Help", "Step...", "Cameras")
//   type <text>                      text into the open dialog's value field
//   press <button>                   a dialog button ("OK", "Cancel", "Close", "Save current", ...),
//                                    or "Parent": the selection's parent, as in the properties
//   resize <width> <height>          the client size changes
//   click <x> <y>                    a left click at that pixel of the view
//   capture <file>                   the whole window, menus included, as a bitmap
//   assert                           a failed assertion inside the next tick
//   quit                             ends the run (also the end of the script)
// The program itself keeps no command line; this is a test hook only.
#include <cstdint>
#include <string>
#include <vector>

class EditorScript {
public:
    enum class Kind { Hold, Wait, Menu, Type, Press, Resize, Click, Capture, Assert, Quit };

    struct Step {
        Kind kind = Kind::Wait;
        std::vector<int> keys;  // SDL scancodes held (Hold)
        int frames = 1;         // frames the step lasts (Hold, Wait); 1 otherwise
        std::string text;       // Menu, Type, Press, Capture
        int width = 0, height = 0;  // Resize; the pixel of Click
    };

    static constexpr const char* kVariable = "CALLIMORA_SCRIPT";

    // Parses script text; false with error() naming the bad step.
    bool parse(const std::string& text);

    bool finished() const { return cursor_ >= steps_.size(); }
    // The step now running; only while not finished().
    const Step& current() const { return steps_[cursor_]; }
    // True on the first frame of the current step.
    bool starting() const { return framesDone_ == 0; }
    // One frame of the current step has run; moves on when it is done.
    void advance();

    // Snapshot of the keys the current step holds (all released otherwise),
    // indexed by SDL scancode.
    const std::vector<uint8_t>& keyState() const { return keyState_; }

    const std::vector<Step>& steps() const { return steps_; }
    const std::string& error() const { return error_; }

private:
    void updateKeys();

    std::vector<Step> steps_;
    size_t cursor_ = 0;
    int framesDone_ = 0;
    std::vector<uint8_t> keyState_;
    std::string error_;
};
