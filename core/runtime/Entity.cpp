// Entity teardown: components go front to back.
#include "core/runtime/Entity.h"

#include "core/runtime/Component.h"

Entity::Entity(std::string name, SystemRegistry* systems, Scene* scene)
    : name(std::move(name)), systems(systems), scene(scene) {}

Entity::~Entity() {
    for (auto& component : components) {
        component.reset();
    }
}
