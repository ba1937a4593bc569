// Handing memory back to the system after a burst of loading: the importer's and
// the decoders' temporary buffers are freed by then, but the C library keeps the
// freed pages in its heap unless asked to return them.
#pragma once

// Returns the heap's free pages to the system (a no-op outside glibc).
void returnFreedMemory();
