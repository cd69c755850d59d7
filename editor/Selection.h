#pragma once
// The selected description. The tree frees descriptions whenever they leave
// the view or stay coarse, so the selection never trusts its pointer: it keeps
// the chain of descriptions from the world root down to the selected one and,
// before every use, checks each link against the live children of the one
// above (comparing addresses only, never reading a freed one). When a link is
// gone the selection clears itself. It also keeps the lines that outline the
// selected description in the view.
#include <string>
#include <vector>

#include "core/Vector.h"

class Desc;

class Selection {
public:
    // Selects desc, a live description of the tree under its root (null clears).
    void select(Desc* desc);
    void clear();
    // The selected description, or null. Valid until the tree next changes:
    // call validate() after every frame and every edit.
    Desc* get() const { return chain_.empty() ? nullptr : const_cast<Desc*>(chain_.back()); }
    bool empty() const { return chain_.empty(); }
    // Keeps the selection when it still lies in root's live tree, else clears
    // it; true when something is (still) selected.
    bool validate(const Desc* root);

    // "Selected: <class>, seed <seed>", empty when nothing is selected.
    std::string statusText() const;
    // Pairs of world points: the selected description's polygon at its
    // bottom and top with the vertical edges, or the box around its own
    // shape. Made at select(); remakeOutline() after its values change.
    const std::vector<Vector>& outline() const { return outline_; }
    void remakeOutline();

private:
    std::vector<const Desc*> chain_;  // not owned: root first, the selected description last
    std::vector<Vector> outline_;
};
