// What the benchmarks report about the process besides time: resident memory
// (now and the peak) from /proc, and the GL objects alive in the current context.
#pragma once

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace processStats {

// A "VmRSS" / "VmHWM" line of /proc/self/status, in megabytes (0 when unreadable).
inline double statusMegabytes(const char* key) {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (file == nullptr) {
        return 0.0;
    }
    char line[256];
    double kilobytes = 0.0;
    const size_t keyLength = std::strlen(key);
    while (std::fgets(line, sizeof(line), file) != nullptr) {
        if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
            kilobytes = std::atof(line + keyLength + 1);
            break;
        }
    }
    std::fclose(file);
    return kilobytes / 1024.0;
}

// The C library's heap: what is handed out and what it holds free (both 0
// outside glibc). Tells a leak or a cache that grows from free memory kept.
struct HeapUse {
    double inUseMb = 0.0;
    double freeMb = 0.0;
};
inline HeapUse heapUse() {
    HeapUse use;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
    const struct mallinfo2 info = mallinfo2();
    use.inUseMb = static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
    use.freeMb = static_cast<double>(info.fordblks) / (1024.0 * 1024.0);
#endif
    return use;
}

inline double residentMegabytes() {
    return statusMegabytes("VmRSS");
}
inline double peakResidentMegabytes() {
    return statusMegabytes("VmHWM");
}

struct GlObjects {
    int textures = 0;
    int buffers = 0;
    int programs = 0;
    int shaders = 0;
    int framebuffers = 0;
    int vertexArrays = 0;
    int total() const { return textures + buffers + programs + shaders + framebuffers + vertexArrays; }
};

// The driver hands out small names and reuses freed ones, so probing every name
// up to well past the highest one in use finds them all.
inline GlObjects liveGlObjects(GLuint probeUpTo = 20000) {
    GlObjects count;
    for (GLuint name = 1; name <= probeUpTo; ++name) {
        count.textures += glIsTexture(name) ? 1 : 0;
        count.buffers += glIsBuffer(name) ? 1 : 0;
        count.programs += glIsProgram(name) ? 1 : 0;
        count.shaders += glIsShader(name) ? 1 : 0;
        count.framebuffers += glIsFramebuffer(name) ? 1 : 0;
        count.vertexArrays += glIsVertexArray(name) ? 1 : 0;
    }
    return count;
}

} // namespace processStats
