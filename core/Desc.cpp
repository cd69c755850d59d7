#include "core/Desc.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Assert.h"
#include "core/GrowthBudget.h"
#include "core/lod/OcclusionBuffer.h"
#include "core/Material.h"
#include "core/Profiler.h"
#include "core/RandomGenerator.h"
#include "core/RenderContext.h"

const ClassName Desc::kClassName{"Desc"};
const ClassName DescPoly::kClassName{"DescPoly"};
const ClassName DescLine::kClassName{"DescLine"};

namespace {
// Frames a description waits before another impostor after one was taken
// while part of its subtree still waited to grow.
constexpr uint8_t kImpostorRetryFrames = 10;
// Below this projected size an impostor is shown without the viewpoint test.
constexpr float kImpostorAlwaysSize = 0.06f;
// Impostors are only made for descriptions smaller than this on screen.
constexpr float kImpostorMaxSize = 0.3f;
constexpr int kMaxImpostorsPerFrame = 200;
// Cosine of the largest angle between the capture and the current viewpoint.
constexpr float kImpostorViewCos = 0.999f;
// Centre, radius and size of the prism over outline's bounding box. A
// shape without points has none: radius and size 0 (its box would run from
// +1e30 to -1e30, whose square is not finite).
void prismBounds(const Poly& outline, const Extrusion& e, Vector& centre, float& radius, float& size) {
    if (outline.empty()) {
        centre = {0, e.level + e.height / 2, 0};
        radius = size = 0;
        return;
    }
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
    outline.bounds(minX, minY, maxX, maxY);
    centre = {(minX + maxX) / 2, e.level + e.height / 2, (minY + maxY) / 2};
    const float dx = maxX - minX, dy = maxY - minY, h = e.height;
    radius = size = 0.5f * std::sqrt(dy * dy + h * h + dx * dx);
}
}  // namespace

Desc::Desc(uint32_t seed_, const char* materialName) : Drawable(seed_, materialName) {
    ++liveCount;
    ++generatedCount;
}

Desc::~Desc() {
    children.clear();
    releaseImpostor();
    --liveCount;
    ++freedCount;
}

void Desc::render(RenderContext& ctx) {
    ctx.currentDescription = this;
    if (!drawsAsGroup()) {
        draw(ctx);
        return;
    }
    struct Group {
        RenderContext& ctx;
        ~Group() { ctx.endGroup(); }
    };
    ctx.beginGroup(groupHandle);
    const Group group{ctx};
    draw(ctx);
}

void Desc::computeDepth(const Matrix44& modelView) {
    const Matrix44* local = localTransform();
    depth = local ? (modelView * *local).depthOf(centre) : modelView.depthOf(centre);
}

const ClassName& Desc::className() const { return kClassName; }

bool Desc::collides(const Vector& from, const Vector& to) const {
    for (const auto& c : children)
        if (c->collides(from, to))
            return true;
    return false;
}

void Desc::renderOwnShape(RenderContext& ctx) {
    if (!renderHandle) {
        ProfileScope timing(profile::kRecord, "Record");
        ctx.beginList();
        drawOwnShape(ctx);
        renderHandle = ctx.endList();
    } else {
        ctx.replayList(*renderHandle);
    }
}

void Desc::addChild(std::unique_ptr<Drawable> child) {
    const int count = childCount();
    CALLI_ASSERT(count >= 0);
    // An edited seed or parameter can cut a piece finer than the children
    // array holds: a handled case, not a failed check.
    if (overfull_ || count >= kMaxChildren) {
        overfull_ = true;
        return;
    }
    child->parent = this;
    if (auto* d = dynamic_cast<Desc*>(child.get()))
        d->index = static_cast<uint8_t>(count);
    if (children.capacity() == children.size())
        children.reserve(children.size() + 8);
    children.push_back(std::move(child));
}

void Desc::releaseChildren() {
    children.clear();
    forgetChildren();
}

std::vector<std::unique_ptr<Drawable>> Desc::takeChildren() {
    std::vector<std::unique_ptr<Drawable>> taken = std::move(children);
    children.clear();
    forgetChildren();
    return taken;
}

void Desc::forgetChildren() {
    // The merged copy shows the children that went (the group may be
    // drawing: the handle stays).
    if (groupHandle)
        groupHandle->release();
    overfull_ = false;
    barren_ = false;
    awaited_.reset();
    outOfView_ = 0;
    childrenReleased();
}

void Desc::releaseImpostor() {
    if (!impostor)
        return;
    if (material && material->isImpostor()) {
        auto* cover = static_cast<ImpostorMaterial*>(material.get());
        std::unique_ptr<Material> covered = cover->takeNext();
        material = std::move(covered);
    }
    // The plain shape's list, kept while the impostor was shown.
    renderHandle = std::move(impostor->plainShape);
    impostor.reset();
}

void Desc::pushImpostorMaterial(Impostor* imp) {
    material = std::make_unique<ImpostorMaterial>(std::move(material), imp);
}

void Desc::refine(const Matrix44& modelView) {
    countdown = kCountdownRefined;
    if (!children.empty() || overfull_)
        return;
    RandomGenerator::generation().seed(static_cast<int32_t>(seed));
    {
        ProfileScope timing(profile::kGenerate, "Generate");
        generate();
    }
    if (overfull_) {
        // Too many pieces, or values it cannot grow: the description stays coarse.
        children.clear();
        childrenReleased();
        return;
    }
    for (auto& c : children)
        c->computeDepth(modelView);
    // Stable, so that equal depths keep generation order on every machine.
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return a->depth < b->depth; });
    for (int i = 0; i < childCount(); ++i)
        if (auto* d = dynamic_cast<Desc*>(children[i].get()))
            d->index = static_cast<uint8_t>(i);
}

Desc::Detail Desc::decideDetail(RenderContext& ctx) {
    const float z = ctx.currentSphere[2];
    const bool inFront = z > 0;
    const float projected = inFront ? size / z : size;
    const bool coarse = coarseBySize(ctx, size, z);
    GrowthBudget& growth = ctx.growth();

    if (impostor) {
        // A picture taken while part of the subtree still waited shows it
        // unfinished: the children are drawn again until an impostor is made
        // of the grown subtree.
        if (impostor->incomplete)
            impostorHold_ = kImpostorRetryFrames;
        if (ctx.impostorsEnabled && !impostor->incomplete) {
            if (projected < kImpostorAlwaysSize) {
                renderOwnShape(ctx);
                return Detail::Coarse;
            }
            if (projected < impostor->creationSize) {
                const Vector world = ctx.model.transformPoint(centre);
                const Vector fromCamera = (world - ctx.cameraPosition).normalized();
                const Vector fromCapture = (world - impostor->viewpoint).normalized();
                if (fromCamera.dot(fromCapture) >= kImpostorViewCos) {
                    renderOwnShape(ctx);
                    return Detail::Coarse;
                }
            }
        }
        releaseImpostor();
    } else if (impostorHold_ > 0) {
        --impostorHold_;
    } else if (!children.empty() && projected < kImpostorMaxSize && allowsImpostor() &&
               ctx.impostorsMade <= kMaxImpostorsPerFrame && ctx.impostorsEnabled &&
               ctx.impostorCreationAllowed && !(growth.on() && coarse)) {
        // (Budgeted, a description coarse by size is drawn as its own shape:
        // a picture of it would save no triangles.)
        ProfileScope timing(profile::kImpostor, "Impostor");
        ctx.computeScreenRect();
        if (std::unique_ptr<Impostor> made = ctx.createImpostor()) {
            made->creationSize = projected * 1.5f;
            impostor = std::move(made);
            impostorCreationSize = impostor->creationSize;
            ctx.queueImpostor(impostor.get());
            pushImpostorMaterial(impostor.get());
            // The plain shape's list comes back when the impostor goes.
            impostor->plainShape = std::move(renderHandle);
            const long waitingBefore = growth.waitingCount();
            ctx.impostorsEnabled = 0;
            for (auto& c : children)
                c->render(ctx);
            ctx.impostorsEnabled = 1;
            if (growth.waitingCount() > waitingBefore) {
                impostor->incomplete = true;
                growth.noteImpostorDropped();
            }
            return Detail::Captured;
        }
    }

    if (coarse) {
        renderOwnShape(ctx);
        return Detail::Coarse;
    }
    return Detail::Refine;
}

int Desc::outsidePlane(const RenderContext& ctx, const Vector& c, float radius, uint32_t& mask) {
    // Planes the sphere lies wholly inside are dropped for the whole subtree.
    auto signedDistance = [&](int plane) {
        if (plane < 4)
            return ctx.planes[plane].dot(c);
        if (plane == 4)
            return ctx.farDistance() - c.z;
        return c.z - ctx.nearDistance();
    };
    for (int plane = 0; plane < 6; ++plane) {
        const uint32_t bit = 1u << plane;
        if ((mask & bit) && signedDistance(plane) > radius)
            mask &= ~bit;
    }
    for (int plane = 0; plane < 6; ++plane) {
        const uint32_t bit = 1u << plane;
        if ((mask & bit) && signedDistance(plane) < -radius)
            return plane;
    }
    return -1;
}

bool Desc::beyondGuardBand(const RenderContext& ctx, const Vector& c, float radius, uint32_t mask) {
    const float margin = radius + GrowthBudget::kGuardBand * c.length();
    for (int plane = 0; plane < 6; ++plane) {
        if (!(mask & (1u << plane)))
            continue;
        const float d = plane < 4 ? ctx.planes[plane].dot(c)
                                  : plane == 4 ? ctx.farDistance() - c.z : c.z - ctx.nearDistance();
        if (d < -margin)
            return true;
    }
    return false;
}

bool Desc::coarseBySize(const RenderContext& ctx, float size, float z) {
    return z > 0 && size / z <= ctx.lodThreshold;
}

float Desc::waitPriority(float size, float z) {
    return z > 0 ? size / z : std::numeric_limits<float>::infinity();
}

void Desc::leaveView(RenderContext& ctx, const Vector& c) {
    releaseImpostor();
    if (children.empty())
        return;
    GrowthBudget& growth = ctx.growth();
    if (!growth.on()) {
        releaseChildren();
        return;
    }
    const int delay = beyondGuardBand(ctx, c, radius, ctx.planeMask) ? GrowthBudget::kReleaseDelay
                                                                    : GrowthBudget::kGuardDelay;
    if (++outOfView_ > delay)
        growth.release(*this);
}

bool Desc::wantsToGrow(const RenderContext& ctx, const Matrix44& modelView, uint32_t mask) const {
    if (!children.empty() || overfull_ || barren_)
        return false;
    const Vector c = modelView.transformPoint(centre);
    return outsidePlane(ctx, c, radius, mask) < 0 && !coarseBySize(ctx, size, c.z);
}

bool Desc::stillAwaiting(RenderContext& ctx, float priority) {
    auto& awaited = *awaited_;
    std::erase_if(awaited, [&](Desc* d) {
        uint32_t mask = ctx.planeMask;
        if (!d->wantsToGrow(ctx, ctx.modelView, mask))
            return true;
        const Vector c = ctx.modelView.transformPoint(d->centre);
        outsidePlane(ctx, c, d->radius, mask);
        ctx.growth().wait(*d, ctx.modelView, mask, std::max(priority, waitPriority(d->size, c.z)));
        return false;
    });
    if (awaited.empty())
        awaited_.reset();
    return awaited_ != nullptr;
}

void Desc::draw(RenderContext& ctx) {
    GrowthBudget& growth = ctx.growth();
    if (growth.traversing()) {
        traverse(ctx);
        return;
    }
    // The outermost traversal: what waits grows at its end, within the budget.
    growth.beginTraversal(*this);
    try {
        traverse(ctx);
        growth.endTraversal(ctx);
    } catch (...) {
        growth.abandonTraversal();
        throw;
    }
}

void Desc::traverse(RenderContext& ctx) {
    const uint32_t savedMask = ctx.planeMask;
    GrowthBudget& growth = ctx.growth();

    const Vector c = ctx.modelView.transformPoint(centre);
    ctx.currentSphere[0] = c.x;
    ctx.currentSphere[1] = c.y;
    ctx.currentSphere[2] = c.z;
    ctx.currentSphere[3] = radius;

    if (outsidePlane(ctx, c, radius, ctx.planeMask) >= 0) {
        leaveView(ctx, c);
        growth.notify(*this, GrowthBudget::Outcome::Culled);
        ctx.planeMask = savedMask;
        return;
    }
    outOfView_ = 0;

    // The switch first: a buffer that is not filled need not be asked.
    if (ctx.occlusionEnabled && ctx.occlusion().active && ctx.isOccluded()) {
        growth.notify(*this, GrowthBudget::Outcome::Occluded);
        ctx.planeMask = savedMask;
        return;
    }

    if (const Detail detail = decideDetail(ctx); detail != Detail::Refine) {
        if (!children.empty()) {
            if (countdown == 0) {
                if (growth.on())
                    growth.release(*this);
                else
                    releaseChildren();
            } else {
                if (countdown == kCountdownRefined)
                    countdown = static_cast<uint8_t>(RandomGenerator::collapse().range(150, 249));
                --countdown;
            }
        }
        growth.notify(*this, detail == Detail::Captured ? GrowthBudget::Outcome::Captured
                                                         : GrowthBudget::Outcome::Coarse);
        ctx.planeMask = savedMask;
        return;
    }

    // One whose own shape shows nothing cannot wait in view: it grows at
    // once while the frame's budget allows.
    if (growth.on() && children.empty() && !overfull_ && !barren_ && !ownShapeCovers_)
        growth.growNow(*this, ctx.modelView);
    if (growth.on() && children.empty() && !overfull_ && !barren_) {
        // Drawn as its own shape until its turn to grow comes.
        countdown = kCountdownRefined;
        growth.wait(*this, ctx.modelView, ctx.planeMask, waitPriority(size, c.z));
        renderOwnShape(ctx);
        growth.notify(*this, GrowthBudget::Outcome::Waiting);
        ctx.planeMask = savedMask;
        return;
    }

    if (growth.on() && awaited_ && stillAwaiting(ctx, waitPriority(size, c.z))) {
        // A parent whose children are half made draws as it did before.
        countdown = kCountdownRefined;
        renderOwnShape(ctx);
        growth.notify(*this, GrowthBudget::Outcome::Coarse);
        ctx.planeMask = savedMask;
        return;
    }

    if (!barren_)
        refine(ctx.modelView);
    if (overfull_)
        renderOwnShape(ctx);
    growth.notify(*this, GrowthBudget::Outcome::Refined);
    for (auto& child : children)
        child->render(ctx);
    ctx.planeMask = savedMask;
}

// ---- DescPoly ----

DescPoly::DescPoly(const Poly& poly_, float h, uint32_t seed_, const char* materialName)
    : Desc(seed_, materialName), poly(poly_) {
    if (h >= 0) {
        extrusion.level = 0;
        extrusion.height = h;
    } else {
        extrusion.level = h;
        extrusion.height = -h;
    }
    computeBounds();
}

const ClassName& DescPoly::className() const { return kClassName; }

void DescPoly::computeBounds() { prismBounds(poly, extrusion, centre, radius, size); }

bool DescPoly::containsPoint(const Vector& p) const {
    return extrusion.level <= p.y && p.y < extrusion.level + extrusion.height && poly.containsPoint(p.x, p.z);
}

void DescPoly::drawOwnShape(RenderContext& ctx) { ctx.extrudedPolygon(poly, extrusion, material.get(), 0); }

// ---- DescLine ----

DescLine::DescLine(const Line& line_, const Extrusion& extrusion_, uint32_t seed_, const char* materialName)
    : Desc(seed_, materialName), line(line_), extrusion(extrusion_) {
    computeBounds();
}

const ClassName& DescLine::className() const { return kClassName; }

void DescLine::computeBounds() { prismBounds(line.outline(), extrusion, centre, radius, size); }

void DescLine::drawOwnShape(RenderContext& ctx) {
    ctx.extrudedPolygon(line.outline(), extrusion, material.get(), 0);
}
