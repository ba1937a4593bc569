// The chase camera's smoothing and its pull-in in front of scenery.
#include "game/FollowCamera.h"

#include "core/physics/PhysicsWorld.h"
#include "core/physics/RaycastHit.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
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
    const float flat = glm::length(glm::vec2(heading.x, heading.z));
    if (flat > 1e-4f && glm::length(glm::cross(heading, worldUp)) > 1e-4f) {
        const float pitch =
            std::clamp(std::atan2(heading.y, flat), -glm::radians(maxPitch), glm::radians(maxPitch));
        targetDirection = glm::vec3(heading.x / flat * std::cos(pitch), std::sin(pitch),
                                    heading.z / flat * std::cos(pitch));
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
    distance = -1.0f;
    place(rotation, 0.0f);
}

void FollowCamera::place(const glm::quat& rotation, float dt) {
    const glm::vec3 pivot = targetPosition + pivotHeight * worldUp;
    const glm::vec3 toCamera = targetPosition + rotation * offset - pivot;
    const float full = glm::length(toCamera);
    float allowed = full;
    PhysicsWorld* physics = entity->scene != nullptr ? entity->scene->getPhysicsWorld() : nullptr;
    RaycastHit hit;
    if (physics != nullptr && full > clearance &&
        physics->sphereCast(pivot, toCamera, clearance, full, hit)) {
        allowed = hit.distance;
    }
    if (distance < 0.0f || allowed < distance) {
        distance = allowed;
    } else {
        distance = std::min(allowed, distance + (full - distance) * std::clamp(easeOutRate * dt, 0.0f, 1.0f));
    }
    cameraTransform->setPosition(full > 0.0f ? pivot + toCamera * (distance / full) : pivot);
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
    place(rotation, dt);
}
