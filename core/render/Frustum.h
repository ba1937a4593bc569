// The six planes of a camera's view volume, used to leave out drawables that
// cannot be seen. Plane normals point into the volume.
#pragma once

#include <glm/glm.hpp>

#include <array>

class Frustum {
public:
    struct Plane {
        glm::vec3 normal{0.0f, 1.0f, 0.0f};
        float distance = 0.0f;
        // Positive inside, negative outside, in world units when normal has unit length.
        float signedDistance(const glm::vec3& point) const { return glm::dot(normal, point) + distance; }
    };

    // Planes from the inverse of a view-projection matrix: the clip-space cube's
    // corners are taken back to world space and the planes spanned through them,
    // so any projection (perspective, orthographic, custom) works.
    static Frustum fromInverseViewProjection(const glm::mat4& inverseViewProjection);

    // The eight world-space corners: near face first (-x-y, +x-y, +x+y, -x+y), then far.
    static std::array<glm::vec3, 8> corners(const glm::mat4& inverseViewProjection);

    // False only when the box lies wholly outside one of the planes.
    bool intersects(const glm::vec3& boxMin, const glm::vec3& boxMax) const;

    // Order: left, right, bottom, top, near, far.
    std::array<Plane, 6> planes{};
};
