// One gamepad's state in the standard layout (an Xbox-style pad), as the window
// library's gamepad mappings fill it: buttons 1 while down, sticks -1..1 with +y
// down, triggers -1 at rest to +1 fully pulled. Tests and recorded input fill
// the same struct.
#pragma once

#include <array>

struct GamepadState {
    std::array<unsigned char, 15> buttons{};
    std::array<float, 6> axes{};
};

// Indices into GamepadState::buttons and GamepadState::axes.
namespace pad {

constexpr int a = 0;
constexpr int b = 1;
constexpr int x = 2;
constexpr int y = 3;
constexpr int leftBumper = 4;
constexpr int rightBumper = 5;
constexpr int back = 6;
constexpr int start = 7;
constexpr int guide = 8;
constexpr int leftThumb = 9;
constexpr int rightThumb = 10;
constexpr int dpadUp = 11;
constexpr int dpadRight = 12;
constexpr int dpadDown = 13;
constexpr int dpadLeft = 14;

constexpr int leftX = 0;
constexpr int leftY = 1;
constexpr int rightX = 2;
constexpr int rightY = 3;
constexpr int leftTrigger = 4;
constexpr int rightTrigger = 5;

} // namespace pad
