#pragma once
// The keyboard, read as one snapshot of every key per tick and turned into the
// key code of the one camera or setting action of that tick, plus the advance
// step those actions move by.
#include <cstdint>
#include <vector>

// The action of one keyboard poll, 0 (nothing) to 23.
using KeyCode = int;

class KeyboardInput {
public:
    // Key code for a snapshot indexed by SDL scancode (1 = held); `count` is
    // the snapshot's length, keys beyond it read as released. The first
    // matching line wins: arrows (with Ctrl, Alt, Shift tested in that order),
    // then D, F, V (only Shift is looked at), then S with any modifier.
    static KeyCode mapKeys(const uint8_t* state, int count);

    // Key code of SDL's current keyboard state, or of the substitute snapshot
    // while one is set. Without a readable state: 0.
    KeyCode poll() const;

    // A snapshot that replaces the real keyboard (scripted runs); null: the
    // real keyboard. Not owned.
    void setSubstitute(const std::vector<uint8_t>* state) { substitute_ = state; }

    float step = 1.0f;  // metres moved per key action

private:
    const std::vector<uint8_t>* substitute_ = nullptr;
};
