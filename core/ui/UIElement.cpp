// Transform lookup and change subscription shared by all UI elements.
#include "core/ui/UIElement.h"

#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/ui/Transform2D.h"

UIElement::UIElement(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {
    getTransform();
    // Most elements draw one item: room for it now, not on the frame it first shows.
    items.reserve(1);
}

UIElement::~UIElement() {
    // Only a transform still owned by the entity may be touched: one destroyed
    // before this element (components die front to back) is gone from the list.
    if (subscribedTo != nullptr && entity != nullptr && entity->getComponent<Transform2D>() == subscribedTo) {
        unsubscribe(subscribedTo->changed, this);
    }
}

void UIElement::prepare(float) {}

Transform2D* UIElement::getTransform() {
    Transform2D* transform = entity != nullptr ? entity->getComponent<Transform2D>() : nullptr;
    // The transform may be added after the element, or replaced: follow the
    // current one (subscribing twice is a no-op).
    if (transform != nullptr) {
        subscribe(transform->changed, this, &UIElement::onTransformChanged);
        subscribedTo = transform;
    }
    return transform;
}

glm::mat4 UIElement::transformMatrix() {
    const Transform2D* transform = getTransform();
    if (transform == nullptr) {
        logWarning("No Transform2D found.");
        return glm::mat4(1.0f);
    }
    return transform->getMatrix();
}

void UIElement::onTransformChanged() {
    changed = true;
}
