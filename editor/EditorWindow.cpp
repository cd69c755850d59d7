#include "editor/EditorWindow.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "core/Assert.h"
#include "core/DataDirectory.h"
#include "core/Desc.h"
#include "core/lod/OcclusionBuffer.h"
#include "editor/CameraControl.h"
#include "editor/EditorScript.h"
#include "editor/KeyboardInput.h"
#include "renderer/GltfExporter.h"
#include "renderer/GlWindow.h"
#include "renderer/Picker.h"
#include "renderer/RendererGl.h"
#include "renderer/Skybox.h"
#include "typology/town/TypRegIrregular.h"
#include "typology/World.h"

namespace {

using Clock = std::chrono::steady_clock;

const struct {
    const char* text;
    EditorWindow::Command command;
} kMenuTexts[] = {
    {"Export glTF...", EditorWindow::Command::ExportGltf},
    {"Resources...", EditorWindow::Command::Resources},
    {"Detail...", EditorWindow::Command::Detail},
    {"Impostors", EditorWindow::Command::Impostors},
    {"Occlusion", EditorWindow::Command::Occlusion},
    {"Stopped", EditorWindow::Command::Stopped},
    {"Info", EditorWindow::Command::Info},
    {"Show Graph", EditorWindow::Command::ShowGraph},
    {"NPCs", EditorWindow::Command::Npcs},
    {"Collisions", EditorWindow::Command::Collisions},
    {"Help", EditorWindow::Command::Help},
    {"Step...", EditorWindow::Command::Step},
    {"Autopilot", EditorWindow::Command::Autopilot},
    {"Pilot settings...", EditorWindow::Command::PilotSettings},
    {"Properties", EditorWindow::Command::Properties},
    {"Cameras", EditorWindow::Command::Cameras},
};

// The light of the scene, as the sun stands over the town.
const Vector kLightDirection(-58, -69, 114);

const ImVec4 kMessageColour(1.0f, 0.45f, 0.35f, 1.0f);

// The outline of the selection: bright yellow whatever the light.
MeshMaterial outlineColour() {
    MeshMaterial m;
    for (float* c : {m.diffuse, m.ambient, m.emissive}) {
        c[0] = 1, c[1] = 0.9f, c[2] = 0.1f, c[3] = 1;
    }
    return m;
}

}  // namespace

bool EditorWindow::commandNamed(const std::string& text, Command& command) {
    for (const auto& m : kMenuTexts)
        if (text == m.text) {
            command = m.command;
            return true;
        }
    return false;
}

EditorWindow::EditorWindow(EditorScript* script) : script_(script) {}

EditorWindow::~EditorWindow() {
    if (window_ && window_->valid())
        window_->makeCurrent();
    properties_.setTarget(nullptr);
    selection_.clear();
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
    options.width = kInitialWidth;
    options.height = kInitialHeight;
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

    control_ = std::make_unique<CameraControl>(*renderer_);
    control_->installInitialCamera();
    renderer_->setLight(kLightDirection);
    renderer_->overlay = [this] { overlay(); };

    skybox_ = std::make_unique<Skybox>();
    skybox_->build(*renderer_);
    makeWorld();
    setRunning(true);
    adjustPresentRect();
}

void EditorWindow::makeWorld() {
    properties_.setTarget(nullptr);
    selection_.clear();
    buildWorld(world_);
    if (control_)
        control_->world = world_.get();
    properties_.setTarget(world_.get());
}

void EditorWindow::select(Desc* desc) {
    selection_.select(desc);
    properties_.setTarget(desc ? desc : world_.get());
    statusText_ = selection_.statusText();
}

void EditorWindow::checkSelection() {
    if (selection_.empty())
        return;
    if (!selection_.validate(world_.get())) {
        // Its description was freed with the view: nothing is selected now.
        properties_.setTarget(world_.get());
        statusText_.clear();
        return;
    }
    properties_.refresh();
}

void EditorWindow::pickAt(int x, int y) {
    if (!renderer_ || !world_)
        return;
    const Picker::Ray ray = Picker::rayThroughPixel(*renderer_, static_cast<float>(x) + 0.5f,
                                                    static_cast<float>(y) + 0.5f);
    select(Picker::pick(*world_, ray).desc);
}

void EditorWindow::exportGltf(const std::string& path) {
    checkSelection();
    Desc* what = selection_.get() ? selection_.get() : world_.get();
    if (!what)
        return;
    GltfExporter exporter;
    char text[512];
    if (exporter.exportSubtree(*what, path)) {
        const GltfExporter::Summary& s = exporter.summary();
        std::snprintf(text, sizeof text, "Exported %s: %ld triangles, %d meshes, %d textures, %ld KB in %.0f ms",
                      path.c_str(), s.triangles, s.meshes, s.textures, (s.bytes + 1023) / 1024, s.ms);
    } else {
        std::snprintf(text, sizeof text, "Export failed: %s", exporter.error().c_str());
    }
    statusText_ = text;
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

void EditorWindow::drawUi() {
    int width = 0, height = 0;
    window_->size(width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);

    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    if (ImGui::GetFrameHeight() != statusBarHeight_) {
        statusBarHeight_ = ImGui::GetFrameHeight();
        adjustPresentRect();
    }
    drawMenuBar();
    drawStatusBar();
    properties_.draw();
    drawDialog();
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());

    if (!scriptCapture_.empty()) {
        if (!FrozenFrame::saveWindow(scriptCapture_.c_str(), width, height))
            std::fprintf(stderr, "callimora: could not write %s\n", scriptCapture_.c_str());
        scriptCapture_.clear();
    }
    scriptPress_.clear();
}

void EditorWindow::drawMenuBar() {
    if (!ImGui::BeginMainMenuBar())
        return;
    auto item = [this](const char* text, Command command, bool checked = false) {
        if (ImGui::MenuItem(text, nullptr, checked))
            pending_.push_back(command);
    };
    const bool haveRenderer = renderer_ != nullptr;
    if (ImGui::BeginMenu("File")) {
        item("Export glTF...", Command::ExportGltf);
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Render")) {
        item("Resources...", Command::Resources);
        item("Detail...", Command::Detail);
        ImGui::Separator();
        item("Impostors", Command::Impostors, haveRenderer && renderer_->impostorsEnabled);
        item("Occlusion", Command::Occlusion, haveRenderer && renderer_->occlusionEnabled);
        item("Stopped", Command::Stopped, !running_);
        ImGui::Separator();
        item("Info", Command::Info, info_);
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("AI")) {
        item("Show Graph", Command::ShowGraph, haveRenderer && renderer_->graphDisplay);
        ImGui::Separator();
        item("NPCs", Command::Npcs, crowdShown_);
        item("Collisions", Command::Collisions, collisions_);
        ImGui::EndMenu();
    }
    if (ImGui::BeginMenu("Navigation")) {
        item("Help", Command::Help);
        item("Step...", Command::Step);
        ImGui::Separator();
        item("Autopilot", Command::Autopilot, autopilot_.on());
        item("Pilot settings...", Command::PilotSettings);
        ImGui::EndMenu();
    }
    item("Properties", Command::Properties, properties_.open);
    item("Cameras", Command::Cameras);
    ImGui::EndMainMenuBar();
}

void EditorWindow::drawStatusBar() {
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(ImVec2(viewport->Pos.x, viewport->Pos.y + viewport->Size.y - statusBarHeight_));
    ImGui::SetNextWindowSize(ImVec2(viewport->Size.x, statusBarHeight_));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(6, ImGui::GetStyle().FramePadding.y));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    // Opaque: with "Info" on, the frame is not presented under the bar.
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImGui::GetStyleColorVec4(ImGuiCol_MenuBarBg));
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoBringToFrontOnFocus |
                                   ImGuiWindowFlags_NoInputs;
    if (ImGui::Begin("##status", nullptr, flags))
        ImGui::TextUnformatted(statusText_.c_str());
    ImGui::End();
    ImGui::PopStyleColor();
    ImGui::PopStyleVar(3);
}

bool EditorWindow::button(const char* label) { return ImGui::Button(label) || scriptPress_ == label; }

void EditorWindow::drawDialog() {
    if (dialog_ == Dialog::None)
        return;
    const char* title = "";
    switch (dialog_) {
    case Dialog::Help: title = "Help"; break;
    case Dialog::Resources: title = "FPS Monitor"; break;
    case Dialog::Step: title = "Step"; break;
    case Dialog::Detail: title = "Detail"; break;
    case Dialog::Cameras: title = "Cameras"; break;
    case Dialog::PilotSettings: title = "Pilot settings"; break;
    case Dialog::Export: title = "Export glTF"; break;
    case Dialog::None: return;
    }
    if (dialogToOpen_) {
        ImGui::OpenPopup(title);
        dialogToOpen_ = false;
    }
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    bool keepOpen = true;
    int result = -1;  // 0 Cancel, 1 OK
    if (ImGui::BeginPopupModal(title, &keepOpen,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings)) {
        switch (dialog_) {
        case Dialog::Help:
            ImGui::TextUnformatted("Keyboard");
            ImGui::Separator();
            ImGui::Indent();
            for (const char* line : CameraControl::kHelpLines)
                ImGui::TextUnformatted(line);
            ImGui::Unindent();
            ImGui::Separator();
            ImGui::TextUnformatted("Left mouse button: select object in editor");
            if (scriptPress_ == "Close")
                result = 0;
            break;
        case Dialog::Resources:
            ImGui::TextUnformatted("Enter the FPS rate:");
            ImGui::SetNextItemWidth(160);
            ImGui::InputText("##1005", &resourcesDialog_.targetText);
            ImGui::TextUnformatted("Enter the max RAM in Kb:");
            ImGui::SetNextItemWidth(160);
            ImGui::InputText("##1006", &resourcesDialog_.memoryText);
            if (!resourcesDialog_.message().empty())
                ImGui::TextColored(kMessageColour, "%s", resourcesDialog_.message().c_str());
            if (button("OK") && resourcesDialog_.accept())
                result = 1;
            ImGui::SameLine();
            if (button("Cancel"))
                result = 0;
            break;
        case Dialog::Step:
        case Dialog::Detail: {
            ImGui::TextUnformatted(dialog_ == Dialog::Step ? "Advance step\n(metres)" : "Render detail");
            std::string text = valueDialog_.text();
            ImGui::SetNextItemWidth(100);
            if (ImGui::InputText("##1008", &text))
                valueDialog_.setText(text);
            ImGui::SameLine();
            // The spin: upper arrow doubles, lower arrow halves.
            if (ImGui::ArrowButton("##up", ImGuiDir_Up) || scriptPress_ == "Up")
                valueDialog_.spin(-1);
            ImGui::SameLine();
            if (ImGui::ArrowButton("##down", ImGuiDir_Down) || scriptPress_ == "Down")
                valueDialog_.spin(1);
            if (!valueDialog_.message().empty())
                ImGui::TextColored(kMessageColour, "%s", valueDialog_.message().c_str());
            if (button("OK") && valueDialog_.accept())
                result = 1;
            ImGui::SameLine();
            if (button("Cancel"))
                result = 0;
            break;
        }
        case Dialog::Cameras: {
            const auto& lines = cameraStore_.lines();
            const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
            ImGui::BeginChild("##1000", ImVec2(480, rowHeight * 8 + 8), true,
                              ImGuiWindowFlags_HorizontalScrollbar);
            for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
                ImGui::PushID(i);
                if (ImGui::Selectable(lines[i].c_str(), cameraSelection_ == i,
                                      ImGuiSelectableFlags_AllowDoubleClick)) {
                    cameraSelection_ = i;
                    if (ImGui::IsMouseDoubleClicked(ImGuiMouseButton_Left) && cameraStore_.select(i))
                        result = 1;
                }
                ImGui::PopID();
            }
            ImGui::EndChild();
            if (button("Select") && cameraStore_.select(cameraSelection_))
                result = 1;
            ImGui::SameLine();
            if (button("Save current") && !cameraStore_.saveCurrent())
                statusText_ = cameraStore_.status();
            ImGui::SameLine();
            if (button("Delete") && cameraSelection_ >= 0) {
                cameraStore_.remove(cameraSelection_);
                cameraSelection_ = -1;
            }
            if (scriptPress_ == "Close")
                result = 0;
            break;
        }
        case Dialog::PilotSettings:
            ImGui::SetNextItemWidth(100);
            ImGui::InputText("Camera height", &pilotDialog_.heightText);
            ImGui::SetNextItemWidth(100);
            ImGui::InputText("Speed (m/frame)", &pilotDialog_.speedText);
            ImGui::TextUnformatted("Autopilot starts at:");
            if (ImGui::RadioButton("Nearest node", pilotDialog_.startAtNearest))
                pilotDialog_.startAtNearest = true;
            if (ImGui::RadioButton("Random node", !pilotDialog_.startAtNearest))
                pilotDialog_.startAtNearest = false;
            if (!pilotDialog_.message().empty())
                ImGui::TextColored(kMessageColour, "%s", pilotDialog_.message().c_str());
            if (button("OK") && pilotDialog_.accept())
                result = 1;
            ImGui::SameLine();
            if (button("Cancel"))
                result = 0;
            break;
        case Dialog::Export:
            ImGui::TextUnformatted(selection_.empty() ? "Everything generated, as binary glTF (.glb):"
                                                      : "What is generated under the selection, as binary glTF (.glb):");
            ImGui::SetNextItemWidth(320);
            ImGui::InputText("##file", &exportPath_);
            if (!exportMessage_.empty())
                ImGui::TextColored(kMessageColour, "%s", exportMessage_.c_str());
            if (button("OK")) {
                exportMessage_ = exportPath_.find_first_not_of(" ") == std::string::npos ? "Enter a file name." : "";
                if (exportMessage_.empty())
                    result = 1;
            }
            ImGui::SameLine();
            if (button("Cancel"))
                result = 0;
            break;
        case Dialog::None:
            break;
        }
        if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
            result = 0;
        if (result >= 0)
            ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
    }
    if (!keepOpen && result < 0)
        result = 0;
    if (result >= 0) {
        pendingClose_ = true;
        pendingCloseOk_ = result == 1;
    }
}

// ---- commands and dialogs ----

void EditorWindow::runPending() {
    if (pendingClose_) {
        pendingClose_ = false;
        closeDialog(pendingCloseOk_);
    }
    if (properties_.commit()) {
        checkSelection();
        selection_.remakeOutline();
    }
    if (Desc* next = properties_.takeNavigation())
        select(next);
    if (const int variant = properties_.takeVariantChoice(); variant >= 0) {
        if (Desc* replaced = properties_.switchVariant(variant))
            select(replaced);
    }
    std::vector<Command> commands;
    commands.swap(pending_);
    for (Command c : commands)
        execute(c);
}

void EditorWindow::execute(Command command) {
    switch (command) {
    case Command::ExportGltf:
        exportMessage_.clear();
        openDialog(Dialog::Export);
        break;
    case Command::Resources: openDialog(Dialog::Resources); break;
    case Command::Detail:
        if (renderer_)
            openDialog(Dialog::Detail);
        break;
    case Command::Impostors:
        if (renderer_)
            renderer_->impostorsEnabled = !renderer_->impostorsEnabled;
        break;
    case Command::Occlusion:
        if (renderer_)
            renderer_->occlusionEnabled = !renderer_->occlusionEnabled;
        break;
    case Command::Stopped: setRunning(!running_); break;
    case Command::Info:
        info_ = !info_;
        adjustPresentRect();
        break;
    case Command::ShowGraph:
        if (renderer_)
            renderer_->graphDisplay = !renderer_->graphDisplay;
        break;
    case Command::Npcs: crowdShown_ = !crowdShown_; break;
    case Command::Collisions: collisions_ = !collisions_; break;
    case Command::Help: openDialog(Dialog::Help); break;
    case Command::Step: openDialog(Dialog::Step); break;
    case Command::Autopilot:
        if (renderer_)
            autopilot_.toggle(*renderer_, world_.get());
        break;
    case Command::PilotSettings: openDialog(Dialog::PilotSettings); break;
    case Command::Properties:
        properties_.open = !properties_.open;
        if (properties_.open) {
            checkSelection();
            properties_.setTarget(selection_.get() ? selection_.get() : world_.get());
        }
        break;
    case Command::Cameras:
        if (!renderer_)
            break;
        if (autopilot_.on())
            autopilot_.switchOff(*renderer_);
        openDialog(Dialog::Cameras);
        break;
    }
}

void EditorWindow::openDialog(Dialog dialog) {
    if (dialog_ != Dialog::None)
        return;
    switch (dialog) {
    case Dialog::Resources: resourcesDialog_.open(monitor_.target, monitor_.memoryLimit); break;
    case Dialog::Step: valueDialog_.open(keyboard_ ? keyboard_->step : 1.0f); break;
    case Dialog::Detail: valueDialog_.open(renderer_->detail()); break;
    case Dialog::Cameras:
        cameraStore_.capture(*renderer_, control_->farDistance());
        cameraStore_.load();
        if (!cameraStore_.status().empty())
            statusText_ = cameraStore_.status();
        cameraSelection_ = -1;
        break;
    case Dialog::PilotSettings:
        pilotDialog_.open(autopilot_.agent.height, autopilot_.agent.configuredSpeed, autopilot_.startAtNearest);
        break;
    case Dialog::Help:
    case Dialog::Export:
    case Dialog::None: break;
    }
    // Rendering stops while the dialog is open.
    setRunning(false);
    dialog_ = dialog;
    dialogToOpen_ = true;
}

void EditorWindow::closeDialog(bool ok) {
    const Dialog dialog = dialog_;
    dialog_ = Dialog::None;
    setRunning(true);
    switch (dialog) {
    case Dialog::Resources:
        if (ok) {
            monitor_.target = resourcesDialog_.target();
            monitor_.memoryLimit = resourcesDialog_.memoryLimit();
        }
        break;
    case Dialog::Step:
        if (ok && keyboard_)
            keyboard_->step = CameraControl::boundedStep(valueDialog_.value(), keyboard_->step);
        break;
    case Dialog::Detail:
        if (ok && renderer_)
            renderer_->setDetail(valueDialog_.value());
        break;
    case Dialog::Cameras:
        // Applied whatever closed the dialog: Cancel re-installs the captured camera.
        if (renderer_ && control_) {
            const float far = cameraStore_.apply(*renderer_);
            if (far > 0)
                control_->setFarDistance(far);
        }
        break;
    case Dialog::PilotSettings:
        if (ok) {
            autopilot_.agent.height = pilotDialog_.height();
            autopilot_.agent.configuredSpeed = pilotDialog_.speed();
            autopilot_.startAtNearest = pilotDialog_.startAtNearest;
            restartAutopilot();
        }
        break;
    case Dialog::Export:
        if (ok)
            exportGltf(exportPath_);
        break;
    case Dialog::Help:
    case Dialog::None: break;
    }
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

// ---- scripted runs ----

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
    std::fflush(stdout);
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
