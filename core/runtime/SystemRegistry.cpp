// Ordered teardown of the registered systems.
#include "core/runtime/SystemRegistry.h"

#include "core/runtime/System.h"

#include <algorithm>

SystemRegistry::~SystemRegistry() {
    clear();
}

void SystemRegistry::destroy(const std::type_index& type) {
    const auto it = systems.find(type);
    if (it == systems.end()) {
        return;
    }
    // Take the system out before destroying it, so lookups made by its destructor
    // find the systems that are still alive and never the dying one.
    std::unique_ptr<System> dying = std::move(it->second);
    systems.erase(it);
    dying.reset();
}

void SystemRegistry::clear() {
    for (const std::type_index& type : teardownOrder) {
        destroy(type);
    }
    for (auto it = registrationOrder.rbegin(); it != registrationOrder.rend(); ++it) {
        destroy(*it);
    }
    registrationOrder.clear();
}
