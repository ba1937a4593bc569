// Base of every engine-wide service. Each system is created once at start-up,
// owned by the SystemRegistry and found by its exact type from anywhere.
#pragma once

#include "core/runtime/SystemRegistry.h"

class System {
public:
    explicit System(SystemRegistry* systems) : systems(systems) {}
    virtual ~System() = default;
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    template <typename T> T* get() const { return systems->get<T>(); }

    SystemRegistry* const systems;
};
