#include "editor/PropertyWindow.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include "core/Desc.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"

PropertyWindow::PropertyWindow() = default;
PropertyWindow::~PropertyWindow() = default;

void PropertyWindow::setTarget(Desc* target) {
    // The list points into the old target: drop it first.
    list_.reset();
    texts_.clear();
    editedIndex_ = -1;
    target_ = target;
    rebuild();
}

void PropertyWindow::rebuild() {
    list_.reset();
    texts_.clear();
    if (!target_)
        return;
    list_ = std::make_unique<ParameterList>();
    target_->declareParameters(*list_);
    texts_.resize(list_->count());
    for (int i = 0; i < list_->count(); ++i) {
        const Parameter* p = list_->record(i);
        texts_[i] = p && p->text() ? p->text() : "";
    }
}

void PropertyWindow::regenerate() {
    // Everything below was grown from the old values; the region also
    // re-derives its terrain from them.
    target_->releaseImpostor();
    target_->releaseChildren();
    target_->renderHandle.reset();
    target_->fitToTerrain();
    rebuild();
}

bool PropertyWindow::edit(int index, const std::string& text) {
    if (!list_ || index < 0 || index >= list_->count() || !list_->record(index))
        return false;
    list_->record(index)->parse(text.c_str());
    regenerate();
    return true;
}

bool PropertyWindow::commit() {
    if (editedIndex_ < 0)
        return false;
    const int index = editedIndex_;
    editedIndex_ = -1;
    if (!list_ || index >= list_->count() || !list_->record(index))
        return false;
    Parameter* p = list_->record(index);
    if (p->isPolygonEdit())
        p->parse(nullptr);
    else
        p->parse(editedText_.c_str());
    regenerate();
    return true;
}

void PropertyWindow::draw() {
    if (!open)
        return;
    ImGui::SetNextWindowPos(ImVec2(20, 40), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(360, 300), ImGuiCond_FirstUseEver);
    if (!ImGui::Begin("Properties", &open)) {
        ImGui::End();
        return;
    }
    if (!list_) {
        ImGui::TextUnformatted("No world.");
        ImGui::End();
        return;
    }
    const ImVec4 headingColour(0.55f, 0.8f, 1.0f, 1.0f);
    // Values take the left part, names the rest.
    ImGui::PushItemWidth(ImGui::GetWindowWidth() * 0.4f);
    for (int i = 0; i < list_->count(); ++i) {
        Parameter* p = list_->record(i);
        ImGui::PushID(i);
        if (!p) {
            if (i > 0)
                ImGui::Separator();
            ImGui::TextColored(headingColour, "%s", list_->name(i).c_str());
        } else if (p->isPolygonEdit()) {
            auto* poly = static_cast<PolygonEditParameter*>(p);
            if (ImGui::TreeNode(list_->name(i).c_str())) {
                ImGui::TextUnformatted("length / turn (degrees) per edge");
                for (size_t k = 0; k < poly->lengths().size(); ++k) {
                    ImGui::PushID(static_cast<int>(k));
                    ImGui::SetNextItemWidth(90);
                    ImGui::InputFloat("##length", &poly->lengths()[k]);
                    ImGui::SameLine();
                    ImGui::SetNextItemWidth(90);
                    ImGui::InputFloat("##angle", &poly->angles()[k]);
                    ImGui::PopID();
                }
                if (ImGui::Button("Apply polygon"))
                    editedIndex_ = i;
                ImGui::TreePop();
            }
        } else if (p->choiceCount() > 0) {
            const char* current = texts_[i].c_str();
            if (ImGui::BeginCombo(list_->name(i).c_str(), current)) {
                for (int c = 0; c < p->choiceCount(); ++c) {
                    if (ImGui::Selectable(p->choiceName(c).c_str(), p->choiceName(c) == texts_[i])) {
                        texts_[i] = p->choiceName(c);
                        editedIndex_ = i;
                        editedText_ = texts_[i];
                    }
                }
                ImGui::EndCombo();
            }
        } else {
            if (ImGui::InputText(list_->name(i).c_str(), &texts_[i], ImGuiInputTextFlags_EnterReturnsTrue)) {
                editedIndex_ = i;
                editedText_ = texts_[i];
            }
        }
        ImGui::PopID();
    }
    ImGui::PopItemWidth();
    if (const Parameter* children = list_->children()) {
        ImGui::Separator();
        ImGui::Text("Children: %d", children->choiceCount());
        for (int c = 0; c < children->choiceCount(); ++c)
            ImGui::BulletText("%s", children->choiceName(c).c_str());
    }
    if (const Parameter* parent = list_->parent(); parent && parent->choiceCount() > 0)
        ImGui::Text("Parent: %s", parent->choiceName(0).c_str());
    ImGui::End();
}
