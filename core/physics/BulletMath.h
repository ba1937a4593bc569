// Conversions between GLM and Bullet maths types. Internal to the physics folder.
#pragma once

#include <LinearMath/btQuaternion.h>
#include <LinearMath/btTransform.h>
#include <LinearMath/btVector3.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

inline btVector3 toBullet(const glm::vec3& v) {
    return {v.x, v.y, v.z};
}
inline btQuaternion toBullet(const glm::quat& q) {
    return {q.x, q.y, q.z, q.w};
}
inline btTransform toBullet(const glm::vec3& position, const glm::quat& rotation) {
    return btTransform(toBullet(rotation), toBullet(position));
}
inline glm::vec3 toGlm(const btVector3& v) {
    return {v.x(), v.y(), v.z()};
}
inline glm::quat toGlm(const btQuaternion& q) {
    return {q.w(), q.x(), q.y(), q.z()};
}
