// A player's chase camera: after the karts have moved each frame it turns
// smoothly towards its kart's heading and sits above and behind the kart,
// looking slightly down. Scenery between the kart and that place pulls the
// camera in along the line to the kart at once; it eases back out once the way
// is clear. With no target it stays where it is (a kart being respawned).
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
    // How far the camera sits from the point above the kart it is pulled towards.
    float getDistance() const { return distance; }

    // Camera position relative to the kart in the camera's own frame: 4 up, 8 behind.
    glm::vec3 offset{0.0f, 4.0f, 8.0f};
    // Euler angles in degrees added to the look rotation: 8 degrees down.
    glm::vec3 tiltAngles{-8.0f, 0.0f, 0.0f};
    // Rotation smoothing per second.
    float turnRate = 4.0f;
    // The camera is kept this far from any solid.
    float clearance = 0.6f;
    // The line the camera is pulled in along starts this high above the kart's
    // origin, inside the kart's own box, so that the road under it never counts.
    float pivotHeight = 1.0f;
    // Fraction per second of the way back out to the full distance.
    float easeOutRate = 2.0f;
    // The kart's heading is followed up and down slopes only this far (degrees):
    // a kart tumbling in a hop must not swing the camera over or under it.
    float maxPitch = 25.0f;
    Transform* target = nullptr;
    Transform* cameraTransform = nullptr;
    glm::vec3 targetPosition{0.0f};
    glm::vec3 lastTargetPosition{0.0f};
    glm::vec3 targetDirection{0.0f, 0.0f, -1.0f};
    float targetSpeed = 0.0f;
    bool initialised = false;

private:
    // Puts the camera along rotation's offset, as far out as the scenery allows.
    void place(const glm::quat& rotation, float dt);

    // Negative until the camera has been placed once.
    float distance = -1.0f;
};
