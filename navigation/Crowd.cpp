#include "navigation/Crowd.h"

#include "core/RandomGenerator.h"
#include "core/RenderContext.h"

Crowd::Crowd(int count) {
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
    for (auto& a : agents_) {
        ctx.endList();
        a->drawBody(ctx);
    }
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
