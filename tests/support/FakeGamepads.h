// Gamepads for tests: states the test writes, read by Input through the same
// source interface the window library's gamepad API fills.
#pragma once

#include "core/runtime/Input.h"

#include <array>

struct FakeGamepads {
    static constexpr int count = 4;

    // Makes these pads Input's only ones.
    void plugInto(Input& input) {
        input.setGamepadSource([this](int pad, GamepadState& state) {
            if (pad >= count || !connected[static_cast<size_t>(pad)]) {
                return false;
            }
            state = states[static_cast<size_t>(pad)];
            return true;
        });
    }
    // Connects pad with nothing pressed, sticks centred and triggers let go.
    GamepadState& connect(int pad) {
        connected[static_cast<size_t>(pad)] = true;
        GamepadState& state = states[static_cast<size_t>(pad)];
        state = GamepadState{};
        state.axes[pad::leftTrigger] = -1.0f;
        state.axes[pad::rightTrigger] = -1.0f;
        return state;
    }
    void disconnect(int pad) { connected[static_cast<size_t>(pad)] = false; }
    GamepadState& operator[](int pad) { return states[static_cast<size_t>(pad)]; }

    std::array<GamepadState, count> states{};
    std::array<bool, count> connected{};
};
