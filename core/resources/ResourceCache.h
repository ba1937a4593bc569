// Owns every resource for the life of the program, grouped by type and name.
// A type may offer built-in resources (a static createBuiltIns(ResourceCache&)),
// which the cache creates the first time that type is used.
#pragma once

#include "core/platform/Log.h"
#include "core/resources/Resource.h"
#include "core/runtime/System.h"

#include <memory>
#include <string>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

class ResourceCache : public System {
public:
    explicit ResourceCache(SystemRegistry* systems);
    ~ResourceCache() override;

    template <typename T, typename... Args> T* create(const std::string& name, Args&&... args) {
        ensureBuiltIns<T>();
        const std::type_index type(typeid(T));
        const std::string finalName = name.empty() ? nextUnnamed(type) : name;
        auto& byName = resources[type];
        const auto it = byName.find(finalName);
        if (it != byName.end()) {
            logWarning("ResourceCache::create: Resource '", finalName, "' already exists.");
            return static_cast<T*>(it->second.get());
        }
        T* resource = new T(systems, std::forward<Args>(args)...);
        resource->name = finalName;
        byName.emplace(finalName, std::unique_ptr<Resource>(resource));
        order[type].push_back(resource);
        return resource;
    }

    template <typename T> T* get(const std::string& name) {
        ensureBuiltIns<T>();
        const auto typeIt = resources.find(std::type_index(typeid(T)));
        if (typeIt == resources.end()) {
            return nullptr;
        }
        const auto it = typeIt->second.find(name);
        return it == typeIt->second.end() ? nullptr : static_cast<T*>(it->second.get());
    }

    template <typename T> bool exists(const std::string& name) const {
        const auto typeIt = resources.find(std::type_index(typeid(T)));
        return typeIt != resources.end() && typeIt->second.count(name) != 0;
    }

    // Every resource of type T, in creation order.
    template <typename T> std::vector<T*> getAll() const {
        std::vector<T*> all;
        const auto it = order.find(std::type_index(typeid(T)));
        if (it != order.end()) {
            for (Resource* resource : it->second) {
                all.push_back(static_cast<T*>(resource));
            }
        }
        return all;
    }

    void dump() const;

private:
    template <typename T, typename = void> struct HasBuiltIns : std::false_type {};
    template <typename T>
    struct HasBuiltIns<T, std::void_t<decltype(T::createBuiltIns(std::declval<ResourceCache&>()))>>
        : std::true_type {};

    template <typename T> void ensureBuiltIns() {
        if constexpr (HasBuiltIns<T>::value) {
            const std::type_index type(typeid(T));
            if (initialising[type] || resources.count(type) != 0) {
                return;
            }
            initialising[type] = true;
            T::createBuiltIns(*this);
            initialising[type] = false;
        }
    }

    std::string nextUnnamed(const std::type_index& type);

    std::unordered_map<std::type_index, std::unordered_map<std::string, std::unique_ptr<Resource>>> resources;
    std::unordered_map<std::type_index, std::vector<Resource*>> order;
    std::unordered_map<std::type_index, bool> initialising;
    std::unordered_map<std::type_index, uint32_t> unnamedCounters;
};
