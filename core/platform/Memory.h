// How the C library's heap holds memory: settings that keep a long-running game
// from holding more than it uses, and handing memory back to the system after a
// burst of loading (the importer's and the decoders' temporary buffers are freed
// by then, but the C library keeps the freed pages unless asked to return them).
#pragma once

// Sets up the heap, before any thread starts (a no-op outside glibc): one arena
// for every thread, since each arena of a worker or driver thread keeps free
// pages of its own; and big blocks (textures in a software rasteriser, decoded
// images, the importer's arrays) mapped on their own, so that freeing one gives
// its pages back at once instead of leaving a hole in the heap. Measured in the
// race (race_frame --quality low): the mapping saved about 10 MB, the one arena
// 2 to 3 more.
void setUpHeap();

// Returns the heap's free pages to the system (a no-op outside glibc).
void returnFreedMemory();
