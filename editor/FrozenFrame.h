#pragma once
// The window's last frame, kept on the GPU so the window can be drawn again
// (menus, dialogs) while rendering is stopped and nothing new is rendered.
// Also reads the window's pixels for scripted checks. Needs the window's GL
// context current for every call.
#include "renderer/GlObject.h"

class FrozenFrame {
public:
    // Copies the window's back buffer (width x height pixels) before anything
    // is drawn over the rendered frame.
    void capture(int width, int height);
    // Copies the kept frame into the window's back buffer; false (nothing
    // drawn) when none of this size is kept.
    bool show(int width, int height) const;
    // Frees the kept frame.
    void release();

    // Writes the window's back buffer, menus and all, as a 24-bit bitmap;
    // false when it cannot be written.
    static bool saveWindow(const char* path, int width, int height);

private:
    GlFramebuffer frame_;    // owned
    GlRenderbuffer colour_;  // owned
    int width_ = 0, height_ = 0;
};
