#include "editor/EditorWindow.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "core/Desc.h"
#include "editor/CameraControl.h"
#include "editor/EditorScript.h"
#include "editor/KeyboardInput.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"

// Scripted runs: the script's steps as the window takes them, and the line
// that reports where a run ended.

void EditorWindow::runScript() {
    if (!script_)
        return;
    if (script_->finished()) {
        quit_ = true;
        return;
    }
    if (!script_->starting())
        return;
    const EditorScript::Step& step = script_->current();
    switch (step.kind) {
    case EditorScript::Kind::Menu: {
        Command command;
        if (commandNamed(step.text, command))
            pending_.push_back(command);
        else
            std::fprintf(stderr, "callimora: script: no menu item \"%s\"\n", step.text.c_str());
        break;
    }
    case EditorScript::Kind::Type:
        if (dialog_ == Dialog::Step || dialog_ == Dialog::Detail)
            valueDialog_.setText(step.text);
        else if (dialog_ == Dialog::Export)
            exportPath_ = step.text;
        else if (dialog_ == Dialog::Cameras)
            cameraSelection_ = std::atoi(step.text.c_str());
        break;
    case EditorScript::Kind::Press:
        scriptPress_ = step.text;
        // The properties' link to the parent, as a click on it would follow it.
        if (step.text == "Parent" && dialog_ == Dialog::None && selection_.get() && selection_.get()->parent)
            select(selection_.get()->parent);
        break;
    case EditorScript::Kind::Resize: SDL_SetWindowSize(window_->window(), step.width, step.height); break;
    case EditorScript::Kind::Click: pickAt(step.width, step.height); break;
    case EditorScript::Kind::Capture: scriptCapture_ = step.text; break;
    case EditorScript::Kind::Assert: scriptAssert_ = true; break;
    case EditorScript::Kind::Quit: quit_ = true; break;
    case EditorScript::Kind::Hold:
    case EditorScript::Kind::Wait: break;
    }
}

void EditorWindow::reportScriptEnd() const {
    std::printf("callimora: script done: ticks=%ld step=%.2f far=%.2f viewport=%dx%d status=\"%s\"\n", ticks_,
                keyboard_ ? keyboard_->step : 0.0f, control_ ? control_->farDistance() : 0.0f,
                renderer_ ? renderer_->viewportWidth : 0, renderer_ ? renderer_->viewportHeight : 0,
                statusText_.c_str());
    // What the command line sets at start.
    const Vector eye = renderer_ ? renderer_->cameraPosition : Vector();
    std::printf("callimora: script state: seed=%u detail=%.2f autopilot=%d eye=%.2f,%.2f,%.2f\n",
                world_ ? world_->seed : 0u, renderer_ ? renderer_->detail() : 0.0f, autopilot_.on() ? 1 : 0, eye.x,
                eye.y, eye.z);
    std::fflush(stdout);
}
