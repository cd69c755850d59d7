#include "editor/EditorWindow.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/Assert.h"
#include "core/DataDirectory.h"
#include "core/Desc.h"
#include "core/GrowthBudget.h"
#include "editor/CameraControl.h"
#include "editor/EditorScript.h"
#include "editor/KeyboardInput.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "typology/World.h"
#include "typology/town/TypRegIrregular.h"

// The window, its start-up and the frame loop: the tick, the frame, window
// events and resizing, messages and failed checks.

namespace {

using Clock = std::chrono::steady_clock;

// The light of the scene, as the sun stands over the town.
const Vector kLightDirection(-58, -69, 114);

// The outline of the selection: bright yellow whatever the light.
MeshMaterial outlineColour() {
    MeshMaterial m;
    for (float* c : {m.diffuse, m.ambient, m.emissive}) {
        c[0] = 1, c[1] = 0.9f, c[2] = 0.1f, c[3] = 1;
    }
    return m;
}

}  // namespace

EditorWindow::EditorWindow(EditorScript* script, const EditorStart& start) : script_(script), start_(start) {}

EditorWindow::~EditorWindow() {
    if (window_ && window_->valid())
        window_->makeCurrent();
    properties_.setTarget(nullptr);
    selection_.clear();
    if (renderer_)
        renderer_->growth().releaseAll();
    destroyWorld(world_);
    if (skybox_)
        skybox_->release();
    skybox_.reset();
    control_.reset();
    renderer_.reset();
    frozen_.release();
    if (imguiReady_) {
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
    }
    keyboard_.reset();
    window_.reset();
}

bool EditorWindow::create() {
    GlWindow::Options options;
    options.width = start_.width;
    options.height = start_.height;
    options.headless = false;
    // The user cannot drag the size; size changes still arrive and are honoured.
    options.resizable = false;
    options.title = kTitle;
    window_ = std::make_unique<GlWindow>(options);
    if (!window_->valid()) {
        error_ = window_->error();
        window_.reset();
        return false;
    }

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplSDL2_InitForOpenGL(window_->window(), window_->context());
    ImGui_ImplOpenGL3_Init("#version 330 core");
    imguiReady_ = true;

    try {
        startUp();
    } catch (const AssertException& e) {
        failAssertion(e);
    }
    return true;
}

void EditorWindow::startUp() {
    // The town still grows without its data, but bare and under no sky.
    if (!dataDirectory::found()) {
        statusText_ = dataDirectory::missingMessage();
        std::fprintf(stderr, "callimora: %s\n", statusText_.c_str());
    }
    keyboard_ = std::make_unique<KeyboardInput>();
    if (script_)
        keyboard_->setSubstitute(&script_->keyState());

    renderer_ = std::make_unique<RendererGl>(*window_);
    if (!renderer_->hasDevice()) {
        renderer_.reset();
        showMessage(RendererGl::kCreateError, true);
        return;
    }
    if (renderer_->depthIs16Bit())
        showMessage(RendererGl::kDepth16Message, false);
    // New parts of the town grow over several frames instead of stalling one.
    renderer_->growth().setLimit(GrowthBudget::kDefault);

    control_ = std::make_unique<CameraControl>(*renderer_);
    control_->installInitialCamera();
    if (start_.cameraGiven) {
        cameraStore_.camera = start_.camera;
        const float far = cameraStore_.apply(*renderer_);
        if (far > 0)
            control_->setFarDistance(far);
    }
    renderer_->setLight(kLightDirection);
    renderer_->overlay = [this] { overlay(); };

    skybox_ = std::make_unique<Skybox>();
    skybox_->build(*renderer_);
    makeWorld();
    setRunning(true);
    adjustPresentRect();
    if (start_.autopilot) {
        // The streets are there once the town has grown around the camera.
        renderFrame();
        if (!autopilot_.switchOn(*renderer_, world_.get()))
            statusText_ = "The autopilot found no street to walk";
    }
    // Last: the autopilot sets its own detail when it starts.
    if (start_.detailGiven)
        renderer_->setDetail(start_.detail);
}

void EditorWindow::makeWorld() {
    properties_.setTarget(nullptr);
    selection_.clear();
    // What the old tree released goes with it, before the new one grows.
    if (renderer_)
        renderer_->growth().releaseAll();
    buildWorld(world_, start_.seed);
    if (control_)
        control_->world = world_.get();
    properties_.setTarget(world_.get());
}

void EditorWindow::restartAutopilot() {
    if (!renderer_ || !autopilot_.on())
        return;
    autopilot_.switchOff(*renderer_);
    renderFrame();
    autopilot_.switchOn(*renderer_, world_.get());
}

void EditorWindow::setRunning(bool running) { running_ = running; }

int EditorWindow::run() {
    Clock::time_point nextTick = Clock::now();
    while (!quit_) {
        try {
            pumpEvents();
            runScript();
            runPending();
            if (quit_)
                break;
            if (running_ && renderer_ && world_ && dialog_ == Dialog::None) {
                std::this_thread::sleep_until(nextTick);
                nextTick = Clock::now() + std::chrono::milliseconds(kTickMilliseconds);
                tick();
            } else {
                idleFrame();
                std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
            if (script_)
                script_->advance();
        } catch (const AssertException& e) {
            failAssertion(e);
        }
    }
    if (script_)
        reportScriptEnd();
    return 0;
}

// ---- the tick ----

void EditorWindow::tick() {
    ++ticks_;
    KeyCode code = keyboard_->poll();
    // Letters typed into the property window are not camera keys.
    if (!script_ && ImGui::GetIO().WantTextInput)
        code = 0;
    if (scriptAssert_) {
        scriptAssert_ = false;
        const bool scriptedFailure = true;
        CALLI_ASSERT(!scriptedFailure);
    }
    control_->collisions = collisions_;
    const CameraControl::Outcome outcome = control_->apply(code, *keyboard_);
    if (!outcome.status.empty())
        statusText_ = outcome.status;
    autopilot_.tick(*renderer_, world_.get(), collisions_);
    // Saved before this tick draws: the picture is the frame on screen.
    if (outcome.screenshot)
        takeScreenshot();
    renderFrame();
}

void EditorWindow::renderFrame() {
    if (!renderer_ || !world_)
        return;
    renderer_->trianglesDrawn = 0;
    const Clock::time_point now = Clock::now();
    if (fpsFrames_ > 10 || fpsFrames_ == 0) {
        fpsStart_ = now;
        fpsFrames_ = 0;
    }
    ++fpsFrames_;

    renderer_->beginFrame();
    if (skybox_)
        skybox_->draw(*renderer_);
    world_->render(*renderer_);
    if (crowdShown_)
        crowd_.stepAndDraw(*renderer_, world_.get(), collisions_);
    // The outline is drawn over the scene, never into an impostor's picture.
    renderer_->finishScene();
    checkSelection();
    if (!selection_.empty())
        renderer_->drawLines(selection_.outline(), outlineColour());
    renderer_->endFrame();

    const double elapsed = std::chrono::duration<double>(Clock::now() - fpsStart_).count();
    const float fps = static_cast<float>(fpsFrames_ / (elapsed + 0.00001));
    if (info_) {
        char text[128];
        std::snprintf(text, sizeof text, "FPS: %3.2f, detail: %f", fps, renderer_->detail());
        statusText_ = text;
    }
    monitor_.update(*renderer_, fps, 0);
}

void EditorWindow::takeScreenshot() {
    if (!renderer_)
        return;
    screenshots_.take([this](const std::string& name) { return renderer_->saveBitmap(name.c_str()); },
                      statusText_);
}

// ---- drawing the window ----

void EditorWindow::overlay() {
    int width = 0, height = 0;
    window_->size(width, height);
    frozen_.capture(width, height);
    drawUi();
}

void EditorWindow::idleFrame() {
    window_->makeCurrent();
    int width = 0, height = 0;
    window_->size(width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    if (!frozen_.show(width, height)) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    drawUi();
    window_->swap();
}

// ---- window events ----

void EditorWindow::pumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (imguiReady_)
            ImGui_ImplSDL2_ProcessEvent(&event);
        const bool viewFree = dialog_ == Dialog::None && imguiReady_;
        if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT && viewFree &&
            !ImGui::GetIO().WantCaptureMouse) {
            pickAt(event.button.x, event.button.y);
        } else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE && viewFree &&
                   !ImGui::GetIO().WantTextInput) {
            select(nullptr);
        }
        if (event.type == SDL_QUIT) {
            quit_ = true;
        } else if (event.type == SDL_WINDOWEVENT && event.window.windowID == SDL_GetWindowID(window_->window())) {
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                quit_ = true;
            } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                int width = 0, height = 0;
                window_->size(width, height);
                resize(width, height);
            }
        }
    }
}

void EditorWindow::resize(int width, int height) {
    if (!renderer_ || (SDL_GetWindowFlags(window_->window()) & SDL_WINDOW_MINIMIZED) || width <= 0 ||
        height <= 0 || (width == renderer_->viewportWidth && height == renderer_->viewportHeight))
        return;
    SDL_Cursor* wait = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
    if (wait)
        SDL_SetCursor(wait);
    setRunning(false);

    // The whole town grows again from its seed; the camera stays where it is.
    makeWorld();
    if (skybox_)
        skybox_->release();
    skybox_.reset();
    frozen_.release();
    if (renderer_->resize(width, height)) {
        renderer_->baseModel = Matrix44::identity();
        skybox_ = std::make_unique<Skybox>();
        skybox_->build(*renderer_);
        setRunning(true);
        adjustPresentRect();
        restartAutopilot();
    } else {
        control_.reset();
        renderer_.reset();
        showMessage(RendererGl::kResizeError, true);
    }

    SDL_SetCursor(SDL_GetDefaultCursor());
    if (wait)
        SDL_FreeCursor(wait);
}

void EditorWindow::adjustPresentRect() {
    if (!renderer_)
        return;
    const int bottom = renderer_->viewportHeight;
    renderer_->clientRect.bottom = info_ ? bottom - static_cast<int>(statusBarHeight_) : bottom;
}

// ---- messages and failures ----

void EditorWindow::showMessage(const char* text, bool error) {
    // A scripted run has nobody to close a message box.
    if (script_) {
        std::fprintf(stderr, "callimora: %s\n", text);
        return;
    }
    SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, kTitle, text,
                             window_ ? window_->window() : nullptr);
}

void EditorWindow::failAssertion(const AssertException& error) {
    setRunning(false);
    std::string message = ErrorLog::message(error, renderer_ ? renderer_->cameraText() : "");
    if (!errorLog_.append(message))
        message += "\nThe error log " + errorLog_.path() + " could not be written.";
    showMessage(message.c_str(), true);
    // The tree may be half made or half freed: end here rather than tear it down.
    std::fflush(nullptr);
    std::_Exit(kAssertExitCode);
}
