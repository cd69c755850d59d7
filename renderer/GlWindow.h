#pragma once
// An SDL2 window with an OpenGL 3.3 core context: the surface the renderer
// draws on. Headless, the same thing is made invisibly through SDL's
// offscreen video driver (EGL, no display needed), for tests and the tour.
#include <string>

struct SDL_Window;

class GlWindow {
public:
    struct Options {
        int width = 1024;   // client size in pixels
        int height = 768;
        // Sets SDL_VIDEODRIVER=offscreen before SDL starts and hides the window.
        bool headless = false;
        bool resizable = true;
        const char* title = "Callimora";
    };

    // On failure valid() is false and error() says why; nothing else is left behind.
    explicit GlWindow(const Options& options);
    ~GlWindow();
    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    bool valid() const { return context_ != nullptr; }
    const std::string& error() const { return error_; }
    bool headless() const { return headless_; }

    SDL_Window* window() const { return window_; }  // owned
    void* context() const { return context_; }      // owned SDL_GLContext
    // Bits of the default framebuffer's depth buffer (16 when 24 could not be had).
    int depthBits() const { return depthBits_; }
    // Drawable size in pixels.
    void size(int& width, int& height) const;
    void makeCurrent() const;
    void swap() const;

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    bool videoStarted_ = false;
    bool headless_ = false;
    int depthBits_ = 0;
    std::string error_;
};
