// Resource naming, teardown and the debug dump.
#include "core/resources/ResourceCache.h"

#include "core/resources/Shader.h"

#include <cstdlib>
#include <cxxabi.h>

namespace {

std::string readableTypeName(const std::type_index& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string result = status == 0 && demangled != nullptr ? demangled : type.name();
    std::free(demangled);
    return result;
}

} // namespace

ResourceCache::ResourceCache(SystemRegistry* systems) : System(systems) {
    // Only the sources are read here; their programs compile on first use, once a context exists.
    create<Shader>("default")->load("core/shaders/default.vert", "core/shaders/default.frag");
    create<Shader>("quad2d")->load("core/shaders/quad2d.vert", "core/shaders/quad2d.frag");
}

ResourceCache::~ResourceCache() {
    order.clear();
    resources.clear();
}

std::string ResourceCache::nextUnnamed(const std::type_index& type) {
    const uint32_t number = ++unnamedCounters[type];
    return "Unnamed #" + std::to_string(number);
}

void ResourceCache::dump() const {
    logInfo("--- ResourceCache dump ---");
    for (const auto& [type, byName] : resources) {
        logInfo(readableTypeName(type));
        for (const auto& entry : byName) {
            logInfo("    ", entry.first);
        }
    }
    logInfo("--- ResourceCache dump end ---");
}
