#include "navigation/Crowd.h"

#include "core/RandomGenerator.h"
#include "core/RenderContext.h"

Crowd::Crowd(int count)
    : bodyShape_({{-Agent::kBodyHalfWidth, -Agent::kBodyHalfWidth},
                  {-Agent::kBodyHalfWidth, Agent::kBodyHalfWidth},
                  {Agent::kBodyHalfWidth, Agent::kBodyHalfWidth},
                  {Agent::kBodyHalfWidth, -Agent::kBodyHalfWidth}}),
      bodyMaterial_(static_cast<const char*>(nullptr)) {
    RandomGenerator& random = RandomGenerator::navigation();
    agents_.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        auto agent = std::make_unique<Agent>();
        agent->height = kBodyHeight + kBodyHeightRange * static_cast<float>(random.uniform());
        agent->steersDetail = false;
        agents_.push_back(std::move(agent));
    }
}

void Crowd::place(Drawable* world) {
    if (!world)
        return;
    int budget = kPlacementsPerFrame;
    for (auto& a : agents_) {
        if (budget == 0)
            break;
        if (a->placed())
            continue;
        --budget;
        if (a->lost()) {
            a->replace(world);
        } else {
            a->start(world, a->position, a->heading, false);
            if (a->placed())
                a->speed = a->configuredSpeed;
        }
    }
}

void Crowd::stepAndDraw(RenderContext& ctx, Drawable* world, bool collide) {
    place(world);
    const Drawable* obstacles = collide ? world : nullptr;
    for (auto& a : agents_)
        a->step(ctx, obstacles);
    bodies_.clear();
    for (auto& a : agents_)
        if (a->placed())
            bodies_.push_back(a->bodyInstance());
    ctx.endList();
    if (bodies_.empty())
        return;
    // The bodies' draws seed the texture offsets with their seed, 0.
    bodyMaterial_.seedOffsets(0);
    Extrusion unit;
    unit.level = 0;
    unit.height = 1;
    ctx.extrudedInstances(bodyShape_, unit, &bodyMaterial_, bodies_);
    ctx.endList();
}

int Crowd::placedCount() const {
    int n = 0;
    for (const auto& a : agents_)
        n += a->placed() ? 1 : 0;
    return n;
}

long Crowd::total(long Agent::*counter) const {
    long n = 0;
    for (const auto& a : agents_)
        n += (*a).*counter;
    return n;
}
