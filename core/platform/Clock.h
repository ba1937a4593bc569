// The engine's millisecond clock: a steady, unsigned 32-bit count that wraps
// after 2^32 ms, like the multimedia timer the frame loop was designed around.
#pragma once

#include <cstdint>

uint32_t timeGetTime();
