// Fuzz target: font file bytes, rasterised as the game's font is (no GL context,
// so glyph textures keep only their sizes).
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Font.h"
#include "core/ui/TextSystem.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SystemRegistry* const systems = [] {
        auto* registry = new SystemRegistry();
        registry->add<TextSystem>();
        return registry;
    }();
    Font font(systems);
    font.loadFromMemory("fuzz", data, size, 24);
    return 0;
}
