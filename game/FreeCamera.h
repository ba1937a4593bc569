// A free-flying camera for inspecting a scene: the mouse turns it, W/A/S/D fly it
// along its own view, Left Shift slows it to a tenth and P freezes it in place.
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>

class Input;
class Transform;

class FreeCamera : public Updateable {
public:
    // Adds a Transform to the entity when it has none.
    FreeCamera(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // Units per second.
    float moveSpeed = 20.0f;
    // Degrees per pixel of mouse movement.
    float lookSensitivity = 0.2f;
    bool frozen = false;

private:
    void look(float deltaX, float deltaY);
    // This frame's movement in the camera's own frame.
    glm::vec3 movement(float dt);

    Input* input = nullptr;
    Transform* transform = nullptr;
};
