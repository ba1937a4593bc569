// Drawable defaults and the transform every drawable places its items with.
#include "core/render/Drawable.h"

#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"

Drawable::Drawable(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

Drawable::~Drawable() = default;

void Drawable::updateItems(float, Camera*) {}

void Drawable::getBounds(glm::vec3& outMin, glm::vec3& outMax) {
    outMin = boundsMin;
    outMax = boundsMax;
}

bool Drawable::isVisible(const Frustum&) {
    return true;
}

const std::vector<RenderItem>& Drawable::standbyItems() const {
    static const std::vector<RenderItem> none;
    return none;
}

Transform* Drawable::getTransform() {
    if (entity == nullptr) {
        return nullptr;
    }
    if (Transform* transform = entity->getComponent<Transform>()) {
        return transform;
    }
    logInfo("Drawable: No transform found on entity '", entity->name, "', creating one.");
    return entity->addComponent<Transform>();
}

glm::mat4 Drawable::getWorldMatrix() {
    Transform* transform = getTransform();
    return transform != nullptr ? transform->getWorldMatrix() : glm::mat4(1.0f);
}
