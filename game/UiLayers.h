// Drawing order of the game's UI: higher layers cover lower ones.
#pragma once

#include <cstdint>

namespace uiLayer {
constexpr uint32_t background = 0;
constexpr uint32_t hudPanel = 10;
constexpr uint32_t hud = 11;
constexpr uint32_t playerMessage = 20;
constexpr uint32_t centreMessage = 30;
constexpr uint32_t screen = 40;
constexpr uint32_t overlay = 50;
// Developer statistics and status lines stay readable over the pause screen.
constexpr uint32_t debug = 60;
} // namespace uiLayer
