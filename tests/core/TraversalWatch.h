#pragma once
// Watching the traversal frame by frame through the growth budget's
// observer and the null render context's calls: what became of every
// description, by its path of child indices, and whether a frame leaves a
// hole where a reference frame drew something.
#include <map>
#include <set>
#include <string>

#include "core/Desc.h"
#include "core/GrowthBudget.h"
#include "core/NullRenderContext.h"

namespace traversal_watch {

// The child indices from the root down to d.
inline std::string pathOf(const Desc& d) {
    std::string p;
    for (const Desc* n = &d; n->parent; n = n->parent)
        p.insert(p.begin(), static_cast<char>(n->index));
    return p;
}

// What the traversal did with every description of one frame, by path, and
// the paths of the descriptions that drew their own shape.
struct Outcomes {
    std::map<std::string, GrowthBudget::Outcome> of;
    std::set<std::string> drewOwnShape;
    std::set<std::string> showedImpostor;  // coarse with an impostor
};

inline Outcomes watchFrame(NullRenderContext& ctx, Desc& root) {
    Outcomes seen;
    ctx.calls.clear();
    ctx.replays.clear();
    ctx.growth().observer = [&seen](const Desc& d, GrowthBudget::Outcome o) {
        seen.of[pathOf(d)] = o;
        if (o == GrowthBudget::Outcome::Coarse && d.impostor)
            seen.showedImpostor.insert(pathOf(d));
    };
    ctx.beginFrame();
    root.render(ctx);
    ctx.endFrame();
    ctx.growth().observer = nullptr;
    for (const auto& call : ctx.calls)
        if (call.description)
            seen.drewOwnShape.insert(pathOf(*call.description));
    for (const Desc* d : ctx.replays)
        if (d)
            seen.drewOwnShape.insert(pathOf(*d));
    return seen;
}

// Every path of the reference frame that drew something (a coarse shape, or
// the leaves of a refined description) is drawn in the frame seen, by itself
// or by an ancestor's own shape or impostor (the frame an impostor is made,
// the children are drawn into it); "" when so, else the first path left
// uncovered.
inline std::string firstHole(const Outcomes& reference, const Outcomes& seen) {
    using O = GrowthBudget::Outcome;
    for (const auto& [path, outcome] : reference.of) {
        // A coarse shape that shows nothing leaves nothing to cover.
        if (outcome != O::Refined && !(outcome == O::Coarse && reference.drewOwnShape.count(path)))
            continue;
        for (size_t n = 0; n <= path.size(); ++n) {
            const std::string at = path.substr(0, n);
            const auto it = seen.of.find(at);
            if (it == seen.of.end() || it->second == O::Culled || it->second == O::Occluded)
                return path;
            if (it->second == O::Refined || it->second == O::Captured)
                continue;
            // Coarse, or waiting to grow: it must have drawn its own shape, or
            // shown its impostor on it (which the unlimited traversal does
            // alike, even where that shape shows nothing).
            if (!seen.drewOwnShape.count(at) && !seen.showedImpostor.count(at))
                return path;
            break;
        }
    }
    return "";
}


}  // namespace traversal_watch
