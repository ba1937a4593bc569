// The chase camera's smoothing.
#include "game/FollowCamera.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"

#include <algorithm>
#include <cmath>

namespace {

const glm::vec3 worldUp{0.0f, 1.0f, 0.0f};

} // namespace

FollowCamera::FollowCamera(SystemRegistry* systems, Entity* entity, Transform* target)
    : Updateable(systems, entity), target(target) {
    cameraTransform = entity->getComponent<Transform>();
    if (cameraTransform == nullptr) {
        cameraTransform = entity->addComponent<Transform>();
    }
    if (target != nullptr) {
        trackTarget(1.0f);
        initialised = true;
    }
}

void FollowCamera::trackTarget(float dt) {
    targetPosition = target->getWorldPosition();
    const glm::vec3 heading = target->forward();
    // A kart pointing straight up or down has no heading to turn to: keep the last one.
    if (glm::length(glm::cross(heading, worldUp)) > 1e-4f) {
        targetDirection = glm::normalize(heading);
    }
    targetSpeed = dt > 0.0f ? glm::length(targetPosition - lastTargetPosition) / dt : 0.0f;
    lastTargetPosition = targetPosition;
}

void FollowCamera::setTarget(Transform* newTarget) {
    target = newTarget;
    if (target != nullptr) {
        trackTarget(1.0f);
        initialised = true;
    }
}

void FollowCamera::snapToTarget() {
    if (target == nullptr) {
        return;
    }
    trackTarget(1.0f);
    initialised = true;
    const glm::quat rotation = desiredRotation();
    cameraTransform->setRotation(rotation);
    cameraTransform->setPosition(targetPosition + rotation * offset);
}

glm::quat FollowCamera::desiredRotation() const {
    return glm::quatLookAt(targetDirection, worldUp) * glm::quat(glm::radians(tiltAngles));
}

void FollowCamera::lateUpdate(float dt) {
    Updateable::lateUpdate(dt);
    if (target != nullptr) {
        trackTarget(dt);
    } else if (initialised) {
        targetSpeed = 0.0f;
    } else {
        return;
    }
    // A frame longer than 1 / turnRate simply catches up instead of overshooting.
    const float blend = std::clamp(turnRate * dt, 0.0f, 1.0f);
    const glm::quat rotation =
        glm::normalize(glm::slerp(cameraTransform->getGlobalRotation(), desiredRotation(), blend));
    cameraTransform->setRotation(rotation);
    cameraTransform->setPosition(targetPosition + rotation * offset);
}
