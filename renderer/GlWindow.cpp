#include "renderer/GlWindow.h"

#include <SDL.h>

#include <cstdlib>

namespace {
void requestContext(int depthBits) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
}
}  // namespace

GlWindow::GlWindow(const Options& options) : headless_(options.headless) {
    if (headless_)
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error_ = SDL_GetError();
        return;
    }
    videoStarted_ = true;
    Uint32 flags = SDL_WINDOW_OPENGL;
    flags |= headless_ ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
    if (options.resizable && !headless_)
        flags |= SDL_WINDOW_RESIZABLE;
    // 24 bits of depth when the driver has them; 16 is accepted and reported.
    for (int depth : {24, 16}) {
        requestContext(depth);
        window_ = SDL_CreateWindow(options.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, options.width,
                                   options.height, flags);
        if (!window_)
            break;
        context_ = SDL_GL_CreateContext(window_);
        if (context_)
            break;
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
    if (!context_) {
        error_ = SDL_GetError();
        if (window_)
            SDL_DestroyWindow(window_);
        window_ = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted_ = false;
        return;
    }
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depthBits_);
    // The frame tick paces the program, not the display.
    SDL_GL_SetSwapInterval(0);
}

GlWindow::~GlWindow() {
    if (context_)
        SDL_GL_DeleteContext(context_);
    if (window_)
        SDL_DestroyWindow(window_);
    if (videoStarted_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void GlWindow::size(int& width, int& height) const {
    width = height = 0;
    if (window_)
        SDL_GL_GetDrawableSize(window_, &width, &height);
}

void GlWindow::makeCurrent() const {
    if (context_)
        SDL_GL_MakeCurrent(window_, context_);
}

void GlWindow::swap() const {
    if (window_)
        SDL_GL_SwapWindow(window_);
}
