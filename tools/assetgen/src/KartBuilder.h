// Builds a kart node: the body (rigid-body pose) with its collider marker, body
// mesh and four wheels, placed so that the wheels touch the road when the
// raycast suspension has settled.
#pragma once

#include "SceneNode.h"

#include <string>

class KartBuilder {
public:
    // The kart is modelled 2.2 m long and built this much larger. The game's
    // driving model (drive force 0.5 m below a centre of mass 1 m under the box,
    // springs of 12 per unit of compression at the box's corners, inertia 1)
    // needs a wheelbase of about 4 m: a shorter kart tips back onto its rear
    // rays under full throttle, which leaves it without drive, steering or grip.
    static constexpr float scale = 1.8f;
    // Half extents of the physics box; the collider marker's scale.
    static const glm::vec3 halfExtents;
    static constexpr float wheelRadius = 0.42f * scale;
    static constexpr float wheelHalfWidth = 0.17f * scale;

    // How high the body's origin rides above the road once the suspension has
    // settled (mass 1, four springs of 12 per unit compression, rays 0.5 long
    // starting just below the box).
    static float rideHeight();

    // prefix: "P1" or "P2"; bodyMaterial: "Buggy_Blue" or "Buggy_Orange".
    static void build(SceneNode& kart, const std::string& prefix, const std::string& bodyMaterial);
};
