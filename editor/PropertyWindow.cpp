#include "editor/PropertyWindow.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include "core/Desc.h"
#include "core/ParameterList.h"
#include "core/PropertyEdit.h"

PropertyWindow::PropertyWindow() = default;
PropertyWindow::~PropertyWindow() = default;

void PropertyWindow::setTarget(Desc* target) {
    // The list points into the old target: drop it first.
    list_.reset();
    texts_.clear();
    editedIndex_ = -1;
    navigation_ = nullptr;
    variantChoice_ = -1;
    refusedIndex_ = -1;
    refusal_.clear();
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

bool PropertyWindow::apply(int index, const std::string& text) {
    if (!list_ || index < 0 || index >= list_->count() || !list_->record(index))
        return false;
    const std::string why = editProperty(*target_, *list_, index, text.c_str());
    if (!why.empty()) {
        // The old value stays, and so does its text in the field.
        const Parameter* p = list_->record(index);
        refusedIndex_ = index;
        refusal_ = "\"" + text + "\" refused: " + why;
        if (index < static_cast<int>(texts_.size()))
            texts_[index] = p->text() ? p->text() : "";
        return false;
    }
    refusedIndex_ = -1;
    refusal_.clear();
    rebuild();
    return true;
}

bool PropertyWindow::edit(int index, const std::string& text) { return apply(index, text); }

Desc* PropertyWindow::takeNavigation() {
    Desc* d = navigation_;
    navigation_ = nullptr;
    return d;
}

int PropertyWindow::takeVariantChoice() {
    const int c = variantChoice_;
    variantChoice_ = -1;
    return c;
}

void PropertyWindow::refresh() {
    if (!list_ || !target_ || !list_->children())
        return;
    if (list_->children()->choiceCount() != target_->childCount())
        rebuild();
}

Desc* PropertyWindow::switchVariant(int index) {
    if (!target_ || !list_) {
        refusedIndex_ = kVariantEntry;
        refusal_ = "no variants here";
        return nullptr;
    }
    // The list points into the description, which may go now.
    list_.reset();
    texts_.clear();
    std::string why;
    Desc* made = ::switchVariant(*target_, index, why);
    if (made)
        target_ = made;
    refusedIndex_ = made ? -1 : kVariantEntry;
    refusal_ = why;
    rebuild();
    return made;
}

std::string PropertyWindow::message(int index) const { return index == refusedIndex_ ? refusal_ : std::string(); }

bool PropertyWindow::commit() {
    if (editedIndex_ < 0)
        return false;
    const int index = editedIndex_;
    editedIndex_ = -1;
    return apply(index, editedText_);
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
    if (const Parameter* variants = list_->variants(); variants && variants->choiceCount() > 0) {
        const char* current = variants->text() ? variants->text() : "";
        if (ImGui::BeginCombo("Variant", current)) {
            for (int c = 0; c < variants->choiceCount(); ++c)
                if (ImGui::Selectable(variants->choiceName(c).c_str(), variants->choiceName(c) == current))
                    variantChoice_ = c;
            ImGui::EndCombo();
        }
        if (refusedIndex_ == kVariantEntry && !refusal_.empty())
            ImGui::TextColored(ImVec4(1.0f, 0.45f, 0.35f, 1.0f), "%s", refusal_.c_str());
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
        if (i == refusedIndex_ && !refusal_.empty()) {
            ImGui::SameLine();
            ImGui::TextColored(ImVec4(1.0f, 0.45f, 0.35f, 1.0f), "%s", refusal_.c_str());
        }
        ImGui::PopID();
    }
    ImGui::PopItemWidth();
    const ImVec4 linkColour(0.55f, 0.8f, 1.0f, 1.0f);
    if (auto* parent = static_cast<ParentParameter*>(list_->parent()); parent && parent->choiceCount() > 0) {
        ImGui::Separator();
        ImGui::TextUnformatted("Parent:");
        ImGui::SameLine();
        ImGui::PushStyleColor(ImGuiCol_Text, linkColour);
        if (ImGui::Selectable((parent->choiceName(0) + "##parent").c_str()))
            navigation_ = parent->parent();
        ImGui::PopStyleColor();
    }
    if (auto* children = static_cast<ChildrenParameter*>(list_->children())) {
        ImGui::Separator();
        ImGui::Text("Children: %d", children->choiceCount());
        for (int c = 0; c < children->choiceCount(); ++c) {
            ImGui::PushID(10000 + c);
            // Descriptions can be selected; drawn leaves are only listed.
            auto* child = dynamic_cast<Desc*>(children->child(c));
            if (child) {
                ImGui::PushStyleColor(ImGuiCol_Text, linkColour);
                if (ImGui::Selectable(children->choiceName(c).c_str()))
                    navigation_ = child;
                ImGui::PopStyleColor();
            } else {
                ImGui::BulletText("%s", children->choiceName(c).c_str());
            }
            ImGui::PopID();
        }
    }
    ImGui::End();
}
