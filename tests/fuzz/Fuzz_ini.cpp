// Fuzz target: a settings file, parsed and checked as config.ini is at start-up.
#include "core/runtime/Config.h"
#include "core/runtime/ConfigFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ConfigFile file(reinterpret_cast<const char*>(data), size);
    Config config;
    config.read(file);
    if (config.width < Config::minSide || config.width > Config::maxSide || config.height < Config::minSide ||
        config.height > Config::maxSide || config.refreshRate < 1) {
        std::abort();
    }
    return 0;
}
