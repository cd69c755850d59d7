#include "core/GrowthBudget.h"

#include <algorithm>

#include "core/Desc.h"
#include "core/RenderContext.h"

namespace {
// Heap order: the largest on screen on top, the earliest to arrive among equals.
template <class W>
bool growsLater(const W& a, const W& b) {
    if (a.projected != b.projected)
        return a.projected < b.projected;
    return a.order > b.order;
}
}  // namespace

GrowthBudget::GrowthBudget() = default;

GrowthBudget::~GrowthBudget() { releaseAll(); }

void GrowthBudget::setLimit(int nodes) { limit_ = nodes <= 0 ? 0 : std::max(nodes, kMinimum); }

void GrowthBudget::releaseAll() {
    while (!detached_.empty())
        destroyFront();
}

void GrowthBudget::destroyFront() {
    std::unique_ptr<Drawable> node = std::move(detached_.front());
    detached_.pop_front();
    // Its children wait their turn: one node at a time, each in O(1), and no
    // destructor recurses deeply.
    if (auto* d = dynamic_cast<Desc*>(node.get()); d && d->childCount() > 0)
        for (auto& c : d->takeChildren())
            detached_.push_back(std::move(c));
}

void GrowthBudget::beginTraversal(Desc& root) {
    traversing_ = true;
    root_ = &root;
    // Left over only when the last traversal ended in an exception.
    waiting_.clear();
    arrivals_ = 0;
    counts_ = Counts();
}

void GrowthBudget::endTraversal(const RenderContext& ctx) {
    if (on()) {
        grow(ctx);
        destroyDetached();
    }
    waiting_.clear();
    traversing_ = false;
    root_ = nullptr;
}

void GrowthBudget::wait(Desc& desc, const Matrix44& modelView, uint32_t planeMask, float projected) {
    waiting_.push_back({&desc, modelView, planeMask, projected, arrivals_++});
}

void GrowthBudget::release(Desc& desc) {
    for (auto& c : desc.takeChildren())
        detached_.push_back(std::move(c));
}

bool GrowthBudget::attached(const Desc& desc) const {
    for (const Desc* n = &desc; n != root_; n = n->parent) {
        const Desc* p = n->parent;
        if (!p || n->index >= p->childCount() || p->child(n->index) != n)
            return false;
    }
    return true;
}

void GrowthBudget::grow(const RenderContext& ctx) {
    const auto later = [](const Waiting& a, const Waiting& b) { return growsLater(a, b); };
    std::make_heap(waiting_.begin(), waiting_.end(), later);
    // A generation adds at most kMinimum children: one that starts within
    // that margin of the limit cannot take the frame past it.
    while (!waiting_.empty() && counts_.made + kMinimum <= limit_) {
        std::pop_heap(waiting_.begin(), waiting_.end(), later);
        const Waiting w = waiting_.back();
        waiting_.pop_back();
        Desc& d = *w.desc;
        // Released later in the same traversal, or grown through another path.
        if (!attached(d) || d.childCount() > 0 || d.tooManyChildren() || d.barren_)
            continue;
        generate(d, w.modelView);
        for (int i = 0; i < d.childCount(); ++i)
            if (auto* child = dynamic_cast<Desc*>(d.child(i)))
                offerChild(*child, w, ctx);
    }
    counts_.waiting = 0;
    for (const Waiting& w : waiting_) {
        Desc& d = *w.desc;
        if (!attached(d) || d.childCount() > 0 || d.tooManyChildren() || d.barren_)
            continue;
        ++counts_.waiting;
        if (!d.ownShapeCovers())
            hold(d);
    }
}

void GrowthBudget::generate(Desc& d, const Matrix44& modelView) {
    const long before = Desc::generatedCount;
    d.refine(modelView);
    // Every generation costs something, even one that makes nothing.
    const long made = std::max<long>({1, d.childCount(), Desc::generatedCount - before});
    counts_.made += made;
    counts_.largest = std::max(counts_.largest, made);
    ++counts_.generations;
    // Made again it would make nothing again: it no longer waits.
    if (d.childCount() == 0 && !d.tooManyChildren())
        d.barren_ = true;
}

bool GrowthBudget::growNow(Desc& desc, const Matrix44& modelView) {
    if (counts_.made + kMinimum > limit_)
        return false;
    generate(desc, modelView);
    return true;
}

void GrowthBudget::hold(Desc& desc) {
    Desc* cover = desc.parent;
    while (cover && !cover->ownShapeCovers())
        cover = cover->parent;
    if (!cover)
        return;
    if (!cover->awaited_)
        cover->awaited_ = std::make_unique<std::vector<Desc*>>();
    auto& awaited = *cover->awaited_;
    if (std::find(awaited.begin(), awaited.end(), &desc) == awaited.end())
        awaited.push_back(&desc);
}

void GrowthBudget::offerChild(Desc& child, const Waiting& parent, const RenderContext& ctx) {
    // A description with its own placement (a town) sees another model-view
    // matrix: the traversal finds it next frame instead.
    if (child.localTransform())
        return;
    const Vector c = parent.modelView.transformPoint(child.centre);
    uint32_t mask = parent.planeMask;
    if (Desc::outsidePlane(ctx, c, child.radius, mask) >= 0)
        return;
    if (Desc::coarseBySize(ctx, child.size, c.z))
        return;
    float projected = Desc::waitPriority(child.size, c.z);
    if (!child.ownShapeCovers())
        projected = std::max(projected, parent.projected);
    waiting_.push_back({&child, parent.modelView, mask, projected, arrivals_++});
    std::push_heap(waiting_.begin(), waiting_.end(), [](const Waiting& a, const Waiting& b) { return growsLater(a, b); });
}

void GrowthBudget::destroyDetached() {
    while (!detached_.empty() && counts_.freed < limit_) {
        destroyFront();
        ++counts_.freed;
    }
}
