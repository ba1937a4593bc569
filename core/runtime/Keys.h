// The keyboard's key names as Input reports them, and their written names for
// settings files. The values are the window library's key codes, so Input hands
// them on unchanged; code outside the render and input layers names keys only
// through these.
#pragma once

#include <string>

namespace key {

constexpr int unknown = -1;
constexpr int space = 32;
constexpr int comma = 44;
constexpr int period = 46;
// The digit keys are consecutive: "2" is digit1 + 1.
constexpr int digit1 = 49;
constexpr int a = 65;
constexpr int d = 68;
constexpr int e = 69;
constexpr int p = 80;
constexpr int q = 81;
constexpr int r = 82;
constexpr int s = 83;
constexpr int w = 87;
constexpr int escape = 256;
constexpr int enter = 257;
constexpr int right = 262;
constexpr int left = 263;
constexpr int down = 264;
constexpr int up = 265;
constexpr int f1 = 290;
constexpr int f2 = 291;
constexpr int f3 = 292;
constexpr int f4 = 293;
constexpr int f5 = 294;
constexpr int f6 = 295;
constexpr int f7 = 296;
constexpr int f8 = 297;
constexpr int f9 = 298;
constexpr int f10 = 299;
constexpr int leftShift = 340;
constexpr int rightControl = 345;

// "W", "Space", "Up", "RightControl", "F1", "KP5" ... (case-insensitive);
// unknown for a name no key has.
int fromName(const std::string& name);
// The written name of a key ("Space"); "?" for a code without one.
std::string name(int code);

} // namespace key
