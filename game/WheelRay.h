// One suspension ray of a kart: where it starts on the body, and what it found
// on the last physics step.
#pragma once

#include "core/physics/RaycastHit.h"

#include <glm/glm.hpp>

struct WheelRay {
    // Ray origin in the body's local frame.
    glm::vec3 localOffset{0.0f};
    // The ray hit the ground on the last step.
    bool grounded = false;
    // A miss keeps the previous hit, so a wheel in the air still shows its last height.
    RaycastHit hit;
};
