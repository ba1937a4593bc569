// A game object: a name and an ordered list of owned components. Entities have
// no hierarchy of their own; Transform parents provide it where wanted.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class Component;
class Scene;
class SystemRegistry;

class Entity {
public:
    Entity(std::string name, SystemRegistry* systems, Scene* scene);
    ~Entity();
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    template <typename T, typename... Args> T* addComponent(Args&&... args) {
        T* component = new T(systems, this, std::forward<Args>(args)...);
        components.emplace_back(component);
        return component;
    }

    // The first component whose dynamic type is T or derives from T.
    template <typename T> T* getComponent() const {
        for (const auto& component : components) {
            if (T* found = dynamic_cast<T*>(component.get())) {
                return found;
            }
        }
        return nullptr;
    }

    template <typename T> std::vector<T*> getComponents() const {
        std::vector<T*> found;
        for (const auto& component : components) {
            if (T* match = dynamic_cast<T*>(component.get())) {
                found.push_back(match);
            }
        }
        return found;
    }

    // Destroys every component of type T (or derived) now. Only for scene building:
    // hooks running this frame may still hold the removed components.
    template <typename T> void removeComponents() {
        for (size_t i = 0; i < components.size();) {
            if (dynamic_cast<T*>(components[i].get()) != nullptr) {
                std::unique_ptr<Component> dying = std::move(components[i]);
                components.erase(components.begin() + static_cast<std::ptrdiff_t>(i));
                dying.reset();
            } else {
                ++i;
            }
        }
    }

    const std::vector<std::unique_ptr<Component>>& getAllComponents() const { return components; }

    std::string name;
    bool active = true;
    SystemRegistry* const systems;
    Scene* const scene;

private:
    std::vector<std::unique_ptr<Component>> components;
};
