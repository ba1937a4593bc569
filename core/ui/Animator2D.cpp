// The scale and alpha blend of a UI element.
#include "core/ui/Animator2D.h"

#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UIElement.h"

Animator2D::Animator2D(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity),
      transform(entity != nullptr ? entity->getComponent<Transform2D>() : nullptr) {}

UIElement* Animator2D::element() const {
    return entity != nullptr ? entity->getComponent<UIElement>() : nullptr;
}

Transform2D* Animator2D::getTransform() {
    // Looked up again while missing, so the order in which the entity's
    // components were added does not matter.
    if (transform == nullptr && entity != nullptr) {
        transform = entity->getComponent<Transform2D>();
    }
    return transform;
}

void Animator2D::restart() {
    if (const Transform2D* rect = getTransform()) {
        startFirstScale = rect->getFirstScale();
        startSecondScale = rect->getSecondScale();
    }
    if (const UIElement* target = element()) {
        startAlpha = target->color.a;
    }
    const Engine* engine = systems != nullptr ? systems->get<Engine>() : nullptr;
    startTime = engine != nullptr ? engine->time : 0.0f;
    currentTime = startTime;
}

void Animator2D::update(float dt) {
    Updateable::update(dt);
    if (startTime < 0.0f) {
        restart();
        return;
    }
    currentTime += dt;
    // Past the end nothing moves, so the last frame inside may stop short of the targets.
    if (currentTime > startTime + duration) {
        return;
    }
    const float t = duration > 0.0f ? (currentTime - startTime) / duration : 1.0f;
    const float s = 1.0f - t;
    if (Transform2D* rect = getTransform()) {
        rect->setScale(startFirstScale * s + targetFirstScale * t,
                       startSecondScale * s + targetSecondScale * t);
    }
    if (UIElement* target = element()) {
        target->changed = true;
        target->color.a = startAlpha * s + targetAlpha * t;
    }
}
