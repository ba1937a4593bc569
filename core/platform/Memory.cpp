// See Memory.h.
#include "core/platform/Memory.h"

// Any C library header defines __GLIBC__; without one the checks below would
// always fail.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// glibc starts at this size but raises it as mapped blocks are freed (up to
// 32 MiB), after which big blocks come from the heap and their holes stay there.
// Not lower: at 64 KiB the software rasteriser's per-frame blocks crossed it and
// every race frame mapped and unmapped about 250 of them; at 128 KiB none.
constexpr int bigBlockBytes = 128 * 1024;
// Free memory at the top of the heap is given back beyond this. The rasteriser
// frees and takes a few megabytes there every frame: at 128 KiB that was about
// 20 calls to the kernel per frame and a tenth more CPU time per race frame; at
// 4 MiB none, for a few megabytes more resident (1 at race_frame's peak, 6 at
// race_soak's race ends).
constexpr int keptTopBytes = 4 * 1024 * 1024;

} // namespace

void setUpHeap() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, bigBlockBytes);
    mallopt(M_TRIM_THRESHOLD, keptTopBytes);
#endif
}

void returnFreedMemory() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
