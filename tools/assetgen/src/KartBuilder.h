// Builds a kart node: the body (rigid-body pose) with its collider marker, body
// mesh and four wheels, placed so that the wheels touch the road when the
// raycast suspension has settled.
#pragma once

#include "SceneNode.h"

#include <string>

class KartBuilder {
public:
    // Half extents of the physics box; the collider marker's scale.
    static const glm::vec3 halfExtents;
    static constexpr float wheelRadius = 0.42f;
    static constexpr float wheelHalfWidth = 0.17f;

    // How high the body's origin rides above the road once the suspension has
    // settled (mass 1, four springs of 12 per unit compression, rays 0.5 long
    // starting just below the box).
    static float rideHeight();

    // prefix: "P1" or "P2"; bodyMaterial: "Buggy_Blue" or "Buggy_Orange".
    static void build(SceneNode& kart, const std::string& prefix, const std::string& bodyMaterial);
};
