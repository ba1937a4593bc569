// Steady millisecond clock.
#include "core/platform/Clock.h"

#include <chrono>

uint32_t timeGetTime() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
