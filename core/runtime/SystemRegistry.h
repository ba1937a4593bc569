// The map from a system's exact type to its one instance. Owns the systems and
// tears them down in an order that keeps every dependency alive long enough.
#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

class System;

class SystemRegistry {
public:
    SystemRegistry() = default;
    ~SystemRegistry();
    SystemRegistry(const SystemRegistry&) = delete;
    SystemRegistry& operator=(const SystemRegistry&) = delete;

    // Lookup by exact type: a subclass registered under its own type is not found as its base.
    template <typename T> T* get() const {
        const auto it = systems.find(std::type_index(typeid(T)));
        return it == systems.end() ? nullptr : static_cast<T*>(it->second.get());
    }

    // Constructs T from (this, args...) unless T is already registered (then null).
    template <typename T, typename... Args> T* add(Args&&... args) {
        const std::type_index type(typeid(T));
        if (systems.count(type) != 0) {
            return nullptr;
        }
        T* system = new T(this, std::forward<Args>(args)...);
        systems.emplace(type, std::unique_ptr<System>(system));
        registrationOrder.push_back(type);
        return system;
    }

    // Systems named here are destroyed first, in this order; the rest follow in
    // reverse registration order.
    void setTeardownOrder(std::vector<std::type_index> order) { teardownOrder = std::move(order); }

    // Destroys every system now (the destructor does the same).
    void clear();

private:
    void destroy(const std::type_index& type);

    std::unordered_map<std::type_index, std::unique_ptr<System>> systems;
    std::vector<std::type_index> registrationOrder;
    std::vector<std::type_index> teardownOrder;
};
