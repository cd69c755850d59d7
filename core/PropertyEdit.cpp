#include "core/PropertyEdit.h"

#include <memory>
#include <utility>

#include "core/Desc.h"
#include "core/ParameterList.h"
#include "core/RenderContext.h"

void discardGrowth(Desc& target) {
    target.releaseImpostor();
    target.releaseChildren();
    target.renderHandle.reset();
    target.fitToTerrain();
}

std::string editProperty(Desc& target, ParameterList& list, int index, const char* text) {
    const Parameter* p = index >= 0 && index < list.count() ? list.record(index) : nullptr;
    std::string why = list.edit(index, p && p->isPolygonEdit() ? nullptr : text);
    if (why.empty())
        discardGrowth(target);
    return why;
}

Desc* switchVariant(Desc& target, int index, std::string& why) {
    ParameterList list;
    target.declareParameters(list);
    if (!list.variants()) {
        why = "no variants here";
        return nullptr;
    }
    Desc* parent = target.parent;
    if (!parent) {
        why = "the root cannot be replaced";
        return nullptr;
    }
    int slot = -1;
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i) == &target)
            slot = i;
    if (slot < 0) {
        why = "not among its parent's children";
        return nullptr;
    }
    // The variant copies the main material: not the impostor's cover of it.
    target.releaseImpostor();
    std::unique_ptr<Drawable> made(target.createVariant(index));
    auto* desc = dynamic_cast<Desc*>(made.get());
    if (!desc) {
        why = "no such variant";
        return nullptr;
    }
    desc->parent = parent;
    desc->index = target.index;
    desc->depth = target.depth;
    parent->children[static_cast<size_t>(slot)] = std::move(made);
    // A picture of the parent shows the old variant.
    parent->releaseImpostor();
    why.clear();
    return desc;
}
