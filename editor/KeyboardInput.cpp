#include "editor/KeyboardInput.h"

#include <SDL.h>

namespace {

bool held(const uint8_t* state, int count, SDL_Scancode key) { return key < count && state[key] != 0; }

}  // namespace

KeyCode KeyboardInput::mapKeys(const uint8_t* state, int count) {
    if (!state)
        return 0;
    auto down = [&](SDL_Scancode key) { return held(state, count, key); };
    const bool ctrl = down(SDL_SCANCODE_LCTRL) || down(SDL_SCANCODE_RCTRL);
    const bool alt = down(SDL_SCANCODE_LALT) || down(SDL_SCANCODE_RALT);
    const bool shift = down(SDL_SCANCODE_LSHIFT) || down(SDL_SCANCODE_RSHIFT);

    // Codes per arrow for: no modifier, Ctrl, Alt, Shift.
    struct Arrow {
        SDL_Scancode key;
        KeyCode codes[4];
    };
    static constexpr Arrow kArrows[] = {
        {SDL_SCANCODE_UP, {1, 6, 15, 21}},
        {SDL_SCANCODE_DOWN, {2, 5, 16, 22}},
        {SDL_SCANCODE_RIGHT, {3, 8, 13, 19}},
        {SDL_SCANCODE_LEFT, {4, 7, 14, 20}},
    };
    for (const Arrow& a : kArrows) {
        if (!down(a.key))
            continue;
        if (ctrl)
            return a.codes[1];
        if (alt)
            return a.codes[2];
        if (shift)
            return a.codes[3];
        return a.codes[0];
    }
    if (down(SDL_SCANCODE_D))
        return shift ? 9 : 10;
    if (down(SDL_SCANCODE_F))
        return shift ? 11 : 12;
    if (down(SDL_SCANCODE_V))
        return shift ? 17 : 18;
    if (down(SDL_SCANCODE_S))
        return 23;
    return 0;
}

KeyCode KeyboardInput::poll() const {
    if (substitute_)
        return mapKeys(substitute_->data(), static_cast<int>(substitute_->size()));
    int count = 0;
    const uint8_t* state = SDL_GetKeyboardState(&count);
    return mapKeys(state, count);
}
