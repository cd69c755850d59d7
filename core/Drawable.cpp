#include "core/Drawable.h"

#include "core/Assert.h"
#include "core/Material.h"
#include "core/Profiler.h"
#include "core/RenderContext.h"

const ClassName Drawable::kClassName{"Drawable"};

Drawable::Drawable(uint32_t seed_, const char* materialName)
    : seed(seed_), material(std::make_unique<Material>(materialName)) {}

Drawable::~Drawable() {
    renderHandle.reset();
    CALLI_ASSERT(material != nullptr);
}

void Drawable::render(RenderContext& ctx) {
    if (!renderHandle) {
        ProfileScope timing(profile::kRecord, "Record");
        ctx.beginList();
        draw(ctx);
        renderHandle = ctx.endList();
    } else {
        ctx.replayList(*renderHandle);
    }
}

void Drawable::computeDepth(const Matrix44&) { depth = -1e30f; }

const ClassName& Drawable::className() const { return kClassName; }

bool Drawable::collidesSelf(const Vector&, const Vector& to) const { return containsPoint(to); }

bool Drawable::containsPoint(const Vector&) const { return false; }

bool Drawable::collides(const Vector& from, const Vector& to) const { return collidesSelf(from, to); }

Drawable* Drawable::createVariant(int) { return nullptr; }
