// Frustum planes from corners, and the box test.
#include "core/render/Frustum.h"

namespace {

Frustum::Plane planeThrough(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                            const glm::vec3& inside) {
    Frustum::Plane plane;
    glm::vec3 normal = glm::cross(b - a, c - a);
    const float length = glm::length(normal);
    normal = length > 0.0f ? normal / length : glm::vec3(0.0f, 1.0f, 0.0f);
    // Orient by a point known to lie inside rather than trusting the winding,
    // which flips with mirrored or custom projections.
    if (glm::dot(normal, inside - a) < 0.0f) {
        normal = -normal;
    }
    plane.normal = normal;
    plane.distance = -glm::dot(normal, a);
    return plane;
}

} // namespace

std::array<glm::vec3, 8> Frustum::corners(const glm::mat4& inverseViewProjection) {
    static const glm::vec3 clip[8] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                      {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    std::array<glm::vec3, 8> world{};
    for (int i = 0; i < 8; ++i) {
        const glm::vec4 p = inverseViewProjection * glm::vec4(clip[i], 1.0f);
        world[i] = glm::vec3(p) / p.w;
    }
    return world;
}

Frustum Frustum::fromInverseViewProjection(const glm::mat4& inverseViewProjection) {
    const std::array<glm::vec3, 8> c = corners(inverseViewProjection);
    glm::vec3 centre(0.0f);
    for (const glm::vec3& corner : c) {
        centre += corner * 0.125f;
    }
    Frustum frustum;
    frustum.planes[0] = planeThrough(c[0], c[3], c[4], centre); // left
    frustum.planes[1] = planeThrough(c[1], c[2], c[5], centre); // right
    frustum.planes[2] = planeThrough(c[0], c[1], c[4], centre); // bottom
    frustum.planes[3] = planeThrough(c[3], c[2], c[7], centre); // top
    frustum.planes[4] = planeThrough(c[0], c[1], c[2], centre); // near
    frustum.planes[5] = planeThrough(c[4], c[5], c[6], centre); // far
    return frustum;
}

bool Frustum::intersects(const glm::vec3& boxMin, const glm::vec3& boxMax) const {
    for (const Plane& plane : planes) {
        // The corner farthest along the normal: if even it is outside, all are.
        const glm::vec3 farthest(plane.normal.x >= 0.0f ? boxMax.x : boxMin.x,
                                 plane.normal.y >= 0.0f ? boxMax.y : boxMin.y,
                                 plane.normal.z >= 0.0f ? boxMax.z : boxMin.z);
        if (plane.signedDistance(farthest) < 0.0f) {
            return false;
        }
    }
    return true;
}
