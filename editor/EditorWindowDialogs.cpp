#include "editor/EditorWindow.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include "editor/CameraControl.h"
#include "editor/KeyboardInput.h"
#include "renderer/RendererGl.h"

// The modal dialogs: what each shows, and what opening and closing it does.

namespace {

const ImVec4 kMessageColour(1.0f, 0.45f, 0.35f, 1.0f);

}  // namespace

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
            if (ImGui::RadioButton("Compact (quantised, meshopt-compressed)", !exportPlain_))
                exportPlain_ = false;
            if (ImGui::RadioButton("Plain (no extensions)", exportPlain_))
                exportPlain_ = true;
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
