#pragma once
// The main window: an SDL2 window with an OpenGL 3.3 core context, the
// renderer on it, the world, the keyboard and the 10-millisecond tick that
// drives everything (one key action, the autopilot, one frame, the status
// text, the frame-rate monitor), the menus, the status bar and the modal
// dialogs drawn with Dear ImGui. A modal dialog stops the tick while it is
// open; the window then shows the last frame under the dialog.
//
// The implementation is split by concern: EditorWindow.cpp (the window, its
// start-up and the frame loop), EditorWindowMenus.cpp (menu bar, status bar,
// commands), EditorWindowDialogs.cpp (the modal dialogs),
// EditorWindowSelection.cpp (selection, properties, picking, export) and
// EditorWindowScript.cpp (scripted runs).
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/lod/FrameRateMonitor.h"
#include "editor/Autopilot.h"
#include "editor/CameraStore.h"
#include "editor/EditorOptions.h"
#include "editor/ErrorLog.h"
#include "editor/FrozenFrame.h"
#include "editor/PilotSettingsDialog.h"
#include "editor/PropertyWindow.h"
#include "editor/ResourcesDialog.h"
#include "editor/ScreenshotWriter.h"
#include "editor/Selection.h"
#include "editor/ValueDialog.h"
#include "navigation/Crowd.h"

class AssertException;
class CameraControl;
class Desc;
class EditorScript;
class GlWindow;
class KeyboardInput;
class RendererGl;
class Skybox;

class EditorWindow {
public:
    static constexpr const char* kTitle = "Callimora";
    // Client area, pixels, unless the command line says otherwise.
    static constexpr int kInitialWidth = EditorStart::kDefaultWidth, kInitialHeight = EditorStart::kDefaultHeight;
    static constexpr int kTickMilliseconds = 10;
    // Exit code after a failed assertion has been reported.
    static constexpr int kAssertExitCode = 3;

    // The menu commands.
    enum class Command {
        ExportGltf,                                              // "File"
        Resources, Detail, Impostors, Occlusion, Stopped, Info,  // "Render"
        SkyLight, Batching,                                      // "Render"
        ShowGraph, Npcs, Collisions,                             // "AI"
        Help, Step, Autopilot, PilotSettings,                    // "Navigation"
        Properties, Cameras,                                     // the menu bar itself
    };
    // The command whose menu text is `text` ("Help", "Step...", ...); false if none.
    static bool commandNamed(const std::string& text, Command& command);

    // script: not owned, may be null (interactive use). With a script the
    // keys come from it, and messages go to stderr instead of message boxes.
    // start: seed, size, camera, detail and autopilot from the command line.
    explicit EditorWindow(EditorScript* script = nullptr, const EditorStart& start = {});
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // Makes the window and runs the start-up: keyboard, renderer, camera,
    // projection, light, skybox, world, tick. False (with error()) only when
    // no window could be made; a renderer that fails leaves the window idle.
    bool create();
    const std::string& error() const { return error_; }

    // Runs until the window is closed (or the script ends); the exit code.
    int run();

private:
    enum class Dialog { None, Help, Resources, Step, Detail, Cameras, PilotSettings, Export };

    void startUp();
    void setRunning(bool running);
    void tick();
    void renderFrame();
    // The window's back buffer holds a frame: keep it, draw the menus,
    // dialogs and status bar over it.
    void overlay();
    void idleFrame();
    void drawUi();
    void drawMenuBar();
    void drawStatusBar();
    void drawDialog();
    bool button(const char* label);
    void pumpEvents();
    void runScript();
    void runPending();
    void execute(Command command);
    void openDialog(Dialog dialog);
    void closeDialog(bool ok);
    void resize(int width, int height);
    void adjustPresentRect();
    void takeScreenshot();
    void showMessage(const char* text, bool error);
    void reportScriptEnd() const;
    [[noreturn]] void failAssertion(const AssertException& error);
    void makeWorld();
    // Selects the description under pixel (x, y) of the view, or clears the
    // selection on the sky.
    void pickAt(int x, int y);
    // Selects desc (null: nothing) and shows it in the properties and the status bar.
    void select(Desc* desc);
    // After a frame or an edit: the selection clears itself when its
    // description has been freed, and the properties follow it.
    void checkSelection();
    // Writes what is generated under the selection (else the whole world) to path.
    void exportGltf(const std::string& path);
    // Switches the autopilot off, renders one frame and switches it on again,
    // so that it restarts from the camera; nothing while it is off.
    void restartAutopilot();

    EditorScript* script_;  // not owned, may be null
    EditorStart start_;

    std::unique_ptr<GlWindow> window_;          // owned
    std::unique_ptr<RendererGl> renderer_;      // owned; null when creation or a resize failed
    std::unique_ptr<Desc> world_;               // owned root; also published process-wide
    std::unique_ptr<KeyboardInput> keyboard_;   // owned
    std::unique_ptr<Skybox> skybox_;            // owned
    std::unique_ptr<CameraControl> control_;    // owned: the key actions on the renderer
    FrameRateMonitor monitor_;
    bool imguiReady_ = false;

    // Switches of the menus.
    bool info_ = false;
    bool crowdShown_ = false;   // "NPCs"
    bool collisions_ = false;   // "Collisions"
    Autopilot autopilot_;  // the camera's agent and its settings
    Crowd crowd_;          // "NPCs"

    bool running_ = false;  // the tick runs ("Stopped" unchecked)
    bool quit_ = false;
    std::string statusText_;
    float statusBarHeight_ = 0;

    ScreenshotWriter screenshots_;
    ErrorLog errorLog_;
    CameraStore cameraStore_;
    int cameraSelection_ = -1;
    ValueDialog valueDialog_;
    ResourcesDialog resourcesDialog_;
    PilotSettingsDialog pilotDialog_;
    PropertyWindow properties_;
    Selection selection_;
    std::string exportPath_ = "../callimora.glb";  // "Export glTF..." file name
    bool exportPlain_ = false;                     // "Export glTF...": plain instead of compact
    std::string exportMessage_;                     // why the last export failed
    FrozenFrame frozen_;

    Dialog dialog_ = Dialog::None;
    bool dialogToOpen_ = false;      // OpenPopup in the next UI frame
    std::vector<Command> pending_;   // chosen in the last UI frame, run before the next tick
    bool pendingClose_ = false;      // a dialog was closed in the last UI frame
    bool pendingCloseOk_ = false;

    // Scripted runs.
    std::string scriptPress_;    // button pressed this frame
    std::string scriptCapture_;  // window capture to write this frame
    bool scriptAssert_ = false;  // fail an assertion in the next tick
    long ticks_ = 0;

    // Frame rate over the last few frames.
    std::chrono::steady_clock::time_point fpsStart_{};
    int fpsFrames_ = 0;

    std::string error_;
};
