// A player's chase camera: after the karts have moved each frame it turns
// smoothly towards its kart's heading and sits above and behind the kart,
// looking slightly down. With no target it stays where it is (a kart being
// respawned).
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

class Transform;

class FollowCamera : public Updateable {
public:
    // Starts following target at once when one is given.
    FollowCamera(SystemRegistry* systems, Entity* entity, Transform* target = nullptr);

    void lateUpdate(float dt) override;

    // Takes the target's position and heading, and its speed since the last call.
    void trackTarget(float dt);
    // Follows target from now on (null: stay where it is).
    void setTarget(Transform* newTarget);
    // Puts the camera where it would be once caught up, without the smoothing
    // (a new race should not open with the camera swinging round).
    void snapToTarget();

    // Where the camera would sit and how it would look if it had caught up.
    glm::quat desiredRotation() const;

    // Camera position relative to the kart in the camera's own frame: 4 up, 8 behind.
    glm::vec3 offset{0.0f, 4.0f, 8.0f};
    // Euler angles in degrees added to the look rotation: 8 degrees down.
    glm::vec3 tiltAngles{-8.0f, 0.0f, 0.0f};
    // Rotation smoothing per second.
    float turnRate = 4.0f;
    Transform* target = nullptr;
    Transform* cameraTransform = nullptr;
    glm::vec3 targetPosition{0.0f};
    glm::vec3 lastTargetPosition{0.0f};
    glm::vec3 targetDirection{0.0f, 0.0f, -1.0f};
    float targetSpeed = 0.0f;
    bool initialised = false;
};
