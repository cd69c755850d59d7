#include "core/Profiler.h"

#include "core/Assert.h"

using Clock = std::chrono::steady_clock;

Profiler::Profiler() : current_(&root_), frameStart_(Clock::now()) { root_.name = "Root"; }

void Profiler::enter(uint32_t key, const char* name) {
    Section* s = current_->firstChild.get();
    Section* last = nullptr;
    while (s && s->key != key) {
        last = s;
        s = s->next.get();
    }
    if (!s) {
        auto made = std::make_unique<Section>();
        made->name = name;
        made->key = key;
        made->parent = current_;
        s = made.get();
        (last ? last->next : current_->firstChild) = std::move(made);
    }
    ++s->calls;
    if (s->depth++ == 0)
        s->started = Clock::now();
    current_ = s;
}

void Profiler::leave() {
    CALLI_ASSERT(current_ != &root_);
    Section* s = current_;
    if (--s->depth == 0)
        s->seconds += std::chrono::duration<double>(Clock::now() - s->started).count();
    current_ = s->parent;
}

void Profiler::clear(Section& s) {
    s.calls = 0;
    s.seconds = 0;
    for (Section* c = s.firstChild.get(); c; c = c->next.get())
        clear(*c);
}

void Profiler::resetFrame() {
    clear(root_);
    frames_ = 0;
    frameStart_ = Clock::now();
}

double Profiler::secondsSinceReset() const {
    return std::chrono::duration<double>(Clock::now() - frameStart_).count();
}

Profiler& Profiler::instance() {
    static Profiler p;
    return p;
}
