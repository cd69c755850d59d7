#pragma once
// The property window: the parameter list of one description (the
// selection, else the world root) as headings, names and value texts. Its
// "Parent" and "Children" entries ask to select another description; its
// variant entry replaces the description by another variant class. A changed value is parsed into
// the description, whose generated subtree is then thrown away so that it
// grows again from the new values, and the list is made afresh. A value the
// entry refuses (not a number, not finite, outside the range the typology can
// use) changes nothing: the old value stays and a short message stands beside
// the field.
#include <memory>
#include <string>
#include <vector>

class Desc;
class ParameterList;

class PropertyWindow {
public:
    PropertyWindow();
    ~PropertyWindow();

    // Shows target's list (not owned; null: nothing). Call with null before
    // the target is destroyed, and again with the new one.
    void setTarget(Desc* target);
    Desc* target() const { return target_; }

    bool open = false;  // the window is shown

    // Draws the window (ImGui) while open; an edited value waits for commit().
    void draw();
    // Parses a value edited in the last draw() and regenerates the target's
    // subtree; false when nothing was edited.
    bool commit();
    // Parses text into entry `index` now and regenerates (scripted edits and
    // tests); false when there is no such entry or it refused the text.
    bool edit(int index, const std::string& text);
    // The refusal shown beside entry `index`, empty when none.
    std::string message(int index) const;

    // The description chosen through "Parent" or "Children" in the last
    // draw(), once; null when none.
    Desc* takeNavigation();
    // Replaces the target in its parent's children by its variant `index`
    // (createVariant, from the target's geometry, values and seed), and shows
    // the new one; the new description, or null with the refusal in
    // message(variantEntry) when there is none of that index, the target has
    // no parent or no variants. Call between frames.
    Desc* switchVariant(int index);
    // The variant chosen in the last draw(), once; -1 when none.
    int takeVariantChoice();
    // Makes the list afresh when the target's children have changed since
    // it was made (they grow and collapse with the view).
    void refresh();

    // message() index of the variants entry.
    static constexpr int kVariantEntry = -2;

    const ParameterList* list() const { return list_.get(); }

private:
    void rebuild();
    // Edits entry `index` (text ignored for the polygon editor); regenerates
    // when written, else keeps the refusal for the field.
    bool apply(int index, const std::string& text);

    Desc* target_ = nullptr;               // not owned
    std::unique_ptr<ParameterList> list_;  // owned: describes target_
    std::vector<std::string> texts_;       // edit buffer per entry
    int editedIndex_ = -1;
    std::string editedText_;
    Desc* navigation_ = nullptr;  // not owned: asked for in the last draw()
    int variantChoice_ = -1;
    int refusedIndex_ = -1;  // the entry whose last edit was refused
    std::string refusal_;
};
