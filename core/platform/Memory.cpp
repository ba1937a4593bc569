// See Memory.h.
#include "core/platform/Memory.h"

// Any C library header defines __GLIBC__; without one the checks below would
// always fail.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Above glibc's default of 128 KiB at start, which it then raises as blocks are
// freed (up to 32 MiB), after which big blocks come from the heap and stay there.
// Fixed, it stays where the software rasteriser's per-frame bins (64 KiB) are
// below it, so drawing maps nothing.
constexpr int bigBlockBytes = 128 * 1024;

} // namespace

void setUpHeap() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, bigBlockBytes);
    mallopt(M_TRIM_THRESHOLD, bigBlockBytes);
#endif
}

void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
