// What a ray query found: the body and shape hit, how far along the ray, where,
// and the facing of the triangle hit.
#pragma once

#include <glm/glm.hpp>

class CollisionShape;
class RigidBody;

struct RaycastHit {
    RigidBody* body = nullptr;
    float distance = 0.0f;
    // World position of the hit.
    glm::vec3 point{0.0f};
    // Unit normal of the triangle hit, facing the ray's origin.
    glm::vec3 normal{0.0f};
    CollisionShape* shape = nullptr;
    // Index of the triangle in the mesh's index list (index / 3), -1 when unknown.
    int faceIndex = -1;
};
