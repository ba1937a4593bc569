// The debug free camera's flight.
#include "game/FreeCamera.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

namespace {

const glm::vec3 worldUp{0.0f, 1.0f, 0.0f};
const glm::vec3 localRight{1.0f, 0.0f, 0.0f};
constexpr float slowFactor = 0.1f;

} // namespace

FreeCamera::FreeCamera(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), input(systems->get<Input>()) {
    transform = entity->getComponent<Transform>();
    if (transform == nullptr) {
        transform = entity->addComponent<Transform>();
    }
}

void FreeCamera::update(float dt) {
    Updateable::update(dt);
    if (input == nullptr) {
        return;
    }
    if (input->getKey(key::p) == KeyState::Pressed) {
        frozen = !frozen;
    }
    if (frozen) {
        return;
    }
    look(input->getCursorDeltaX(), input->getCursorDeltaY());
    const glm::vec3 step = movement(dt);
    // Along the view itself: looking up while flying forward climbs.
    transform->setPosition(transform->getPosition() + transform->getRotation() * step);
}

void FreeCamera::look(float deltaX, float deltaY) {
    // Yaw about the world's up keeps the horizon level; pitch about the camera's
    // own right axis tilts the view.
    transform->rotate(glm::radians(-deltaX * lookSensitivity), worldUp, Space::World);
    transform->rotate(glm::radians(-deltaY * lookSensitivity), localRight, Space::Local);
}

glm::vec3 FreeCamera::movement(float dt) {
    const float distance = moveSpeed * dt;
    glm::vec3 step(0.0f);
    if (input->isKeyDown(key::w)) {
        step.z -= distance;
    }
    if (input->isKeyDown(key::s)) {
        step.z += distance;
    }
    if (input->isKeyDown(key::a)) {
        step.x -= distance;
    }
    if (input->isKeyDown(key::d)) {
        step.x += distance;
    }
    if (input->isKeyDown(key::leftShift)) {
        step *= slowFactor;
    }
    return step;
}
