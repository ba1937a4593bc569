// Scene membership of components.
#include "core/runtime/Component.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"

Component::Component(SystemRegistry* systems, Entity* entity) : systems(systems), entity(entity) {
    if (entity != nullptr && entity->scene != nullptr) {
        entity->scene->registerComponent(this);
    }
}

Component::~Component() {
    if (entity != nullptr && entity->scene != nullptr) {
        entity->scene->unregisterComponent(this);
    }
}

void Component::setEnabled(bool value) {
    if (value != enabled) {
        enabled = value;
        onEnabledChanged();
    }
}
