// Light placement in the world.
#include "core/render/Light.h"

#include "core/runtime/Transform.h"

Light::Light(SystemRegistry* systems, Entity* entity) : Drawable(systems, entity) {}

glm::vec3 Light::getWorldDirection() {
    Transform* transform = getTransform();
    return transform != nullptr ? transform->getGlobalRotation() * direction : direction;
}

glm::vec3 Light::getWorldPosition() {
    return glm::vec3(getWorldMatrix()[3]);
}
