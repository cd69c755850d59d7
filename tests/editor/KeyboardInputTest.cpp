#include "editor/KeyboardInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

std::vector<uint8_t> keys(std::initializer_list<SDL_Scancode> held) {
    std::vector<uint8_t> state(SDL_NUM_SCANCODES, 0);
    for (SDL_Scancode k : held)
        state[k] = 1;
    return state;
}

KeyCode code(std::initializer_list<SDL_Scancode> held) {
    const auto state = keys(held);
    return KeyboardInput::mapKeys(state.data(), static_cast<int>(state.size()));
}

}  // namespace

TEST(KeyboardInputMapping, NothingHeldIsCodeZero) {
    EXPECT_EQ(code({}), 0);
    EXPECT_EQ(code({SDL_SCANCODE_LCTRL, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_A}), 0);
    EXPECT_EQ(KeyboardInput::mapKeys(nullptr, 0), 0);
}

TEST(KeyboardInputMapping, ArrowsWithEachModifier) {
    struct Row {
        SDL_Scancode key;
        KeyCode none, ctrl, alt, shift;
    };
    const Row rows[] = {{SDL_SCANCODE_UP, 1, 6, 15, 21},
                        {SDL_SCANCODE_DOWN, 2, 5, 16, 22},
                        {SDL_SCANCODE_RIGHT, 3, 8, 13, 19},
                        {SDL_SCANCODE_LEFT, 4, 7, 14, 20}};
    for (const Row& r : rows) {
        EXPECT_EQ(code({r.key}), r.none) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_LCTRL}), r.ctrl) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_RCTRL}), r.ctrl) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_LALT}), r.alt) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_RALT}), r.alt) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_LSHIFT}), r.shift) << r.key;
        EXPECT_EQ(code({r.key, SDL_SCANCODE_RSHIFT}), r.shift) << r.key;
    }
}

TEST(KeyboardInputMapping, UpWithCtrlTurnsInsteadOfMoving) { EXPECT_EQ(code({SDL_SCANCODE_UP, SDL_SCANCODE_LCTRL}), 6); }

TEST(KeyboardInputMapping, ModifiersAreTestedCtrlAltShift) {
    EXPECT_EQ(code({SDL_SCANCODE_UP, SDL_SCANCODE_LCTRL, SDL_SCANCODE_LALT, SDL_SCANCODE_LSHIFT}), 6);
    EXPECT_EQ(code({SDL_SCANCODE_UP, SDL_SCANCODE_LALT, SDL_SCANCODE_LSHIFT}), 15);
}

TEST(KeyboardInputMapping, FirstArrowInTableOrderWins) {
    EXPECT_EQ(code({SDL_SCANCODE_UP, SDL_SCANCODE_DOWN}), 1);
    EXPECT_EQ(code({SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT}), 2);
    EXPECT_EQ(code({SDL_SCANCODE_RIGHT, SDL_SCANCODE_LEFT}), 3);
    // Arrows come before the letters.
    EXPECT_EQ(code({SDL_SCANCODE_LEFT, SDL_SCANCODE_S}), 4);
}

TEST(KeyboardInputMapping, LettersLookOnlyAtShift) {
    EXPECT_EQ(code({SDL_SCANCODE_D}), 10);
    EXPECT_EQ(code({SDL_SCANCODE_D, SDL_SCANCODE_LCTRL}), 10);
    EXPECT_EQ(code({SDL_SCANCODE_D, SDL_SCANCODE_LALT}), 10);
    EXPECT_EQ(code({SDL_SCANCODE_D, SDL_SCANCODE_LSHIFT}), 9);
    EXPECT_EQ(code({SDL_SCANCODE_F}), 12);
    EXPECT_EQ(code({SDL_SCANCODE_F, SDL_SCANCODE_RSHIFT}), 11);
    EXPECT_EQ(code({SDL_SCANCODE_V}), 18);
    EXPECT_EQ(code({SDL_SCANCODE_V, SDL_SCANCODE_LSHIFT}), 17);
    // D before F before V before S.
    EXPECT_EQ(code({SDL_SCANCODE_F, SDL_SCANCODE_D}), 10);
    EXPECT_EQ(code({SDL_SCANCODE_V, SDL_SCANCODE_F}), 12);
    EXPECT_EQ(code({SDL_SCANCODE_S, SDL_SCANCODE_V}), 18);
}

TEST(KeyboardInputMapping, SWithAnyModifierTakesAScreenshot) {
    EXPECT_EQ(code({SDL_SCANCODE_S}), 23);
    EXPECT_EQ(code({SDL_SCANCODE_S, SDL_SCANCODE_LCTRL}), 23);
    EXPECT_EQ(code({SDL_SCANCODE_S, SDL_SCANCODE_RALT}), 23);
    EXPECT_EQ(code({SDL_SCANCODE_S, SDL_SCANCODE_LSHIFT}), 23);
    EXPECT_EQ(code({SDL_SCANCODE_S, SDL_SCANCODE_LCTRL, SDL_SCANCODE_LALT, SDL_SCANCODE_RSHIFT}), 23);
}

TEST(KeyboardInputMapping, ShortSnapshotReadsMissingKeysAsReleased) {
    auto state = keys({SDL_SCANCODE_LCTRL, SDL_SCANCODE_UP});
    // Ctrl lies beyond a snapshot of 100 keys; Up (82) inside it.
    EXPECT_EQ(KeyboardInput::mapKeys(state.data(), 100), 1);
    EXPECT_EQ(KeyboardInput::mapKeys(state.data(), 50), 0);
}

TEST(KeyboardInputPoll, SubstituteSnapshotStandsInForTheKeyboard) {
    KeyboardInput keyboard;
    EXPECT_FLOAT_EQ(keyboard.step, 1.0f);
    auto state = keys({SDL_SCANCODE_LEFT, SDL_SCANCODE_LALT});
    keyboard.setSubstitute(&state);
    EXPECT_EQ(keyboard.poll(), 14);
    state[SDL_SCANCODE_LALT] = 0;
    EXPECT_EQ(keyboard.poll(), 4);
}
