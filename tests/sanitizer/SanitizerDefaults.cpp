// AddressSanitizer defaults, linked into every test executable of the sanitized
// build so that they hold however the executable is started: by ctest, by the
// build's test discovery, or by hand in a debugger.
//
// FreeImage 3.18 releases its plugin list with free() although it allocated it
// with new, in FreeImage_DeInitialise when the library unloads at exit; that is
// the library's fault, not ours, and would fail every suite that loads an image.
// Leak checking is off because Mesa and GLFW keep allocations alive until exit.
extern "C" __attribute__((used, visibility("default"))) const char* __asan_default_options() {
    return "alloc_dealloc_mismatch=0:detect_leaks=0";
}
