// Fuzz target: a shader source pair through the #version / #include
// preprocessor. The bytes are split into two files of a scratch assets folder,
// which may include each other, themselves or anything else, as a broken or
// hostile shader pair could.
#include "core/resources/ResourceLoader.h"
#include "core/resources/Shader.h"
#include "core/runtime/SystemRegistry.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// The scratch assets folder, removed again when the process ends.
struct ScratchAssets {
    ScratchAssets() {
        char pattern[] = "/tmp/tw_fuzz_shader_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::abort();
        }
        dir = pattern;
        systems.add<ResourceLoader>()->baseDir = dir;
    }
    ~ScratchAssets() {
        std::remove((dir + "/a.vert").c_str());
        std::remove((dir + "/b.glsl").c_str());
        rmdir(dir.c_str());
    }
    void write(const char* name, const uint8_t* data, size_t size) const {
        FILE* file = std::fopen((dir + "/" + name).c_str(), "wb");
        if (file == nullptr) {
            std::abort();
        }
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    std::string dir;
    SystemRegistry systems;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static ScratchAssets scratch;
    const size_t half = size / 2;
    scratch.write("a.vert", data, half);
    scratch.write("b.glsl", data + half, size - half);
    Shader shader(&scratch.systems);
    shader.load("a.vert", "b.glsl");
    return 0;
}
