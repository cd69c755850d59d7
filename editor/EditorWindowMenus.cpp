#include "editor/EditorWindow.h"

#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include "core/Desc.h"
#include "editor/KeyboardInput.h"
#include "renderer/GlWindow.h"
#include "renderer/RendererGl.h"

// The menu bar and its commands, the status bar, and what the last UI frame
// asked for (commands, a closed dialog, property edits, links, variants).

namespace {

const struct {
    const char* text;
    EditorWindow::Command command;
} kMenuTexts[] = {
    {"Export glTF...", EditorWindow::Command::ExportGltf},
    {"Resources...", EditorWindow::Command::Resources},
    {"Detail...", EditorWindow::Command::Detail},
    {"Impostors", EditorWindow::Command::Impostors},
    {"Occlusion", EditorWindow::Command::Occlusion},
    {"Sky light", EditorWindow::Command::SkyLight},
    {"Batching", EditorWindow::Command::Batching},
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

// Pictures taken under the other light: every impostor is taken again.
void releaseImpostors(Desc& d) {
    d.releaseImpostor();
    for (int i = 0; i < d.childCount(); ++i)
        if (auto* child = dynamic_cast<Desc*>(d.child(i)))
            releaseImpostors(*child);
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
        item("Sky light", Command::SkyLight, haveRenderer && renderer_->skyLight);
        item("Batching", Command::Batching, haveRenderer && renderer_->batching);
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
    case Command::SkyLight:
        if (renderer_)
            renderer_->skyLight = !renderer_->skyLight;
        if (world_)
            releaseImpostors(*world_);
        break;
    case Command::Batching:
        if (renderer_)
            renderer_->batching = !renderer_->batching;
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
