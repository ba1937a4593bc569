// Lazy world matrices and the transform hierarchy.
#include "core/runtime/Transform.h"

#include "core/platform/Log.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/matrix_decompose.hpp>

#include <algorithm>

Transform::Transform(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

Transform::~Transform() {
    // Leave the parent quietly: this transform's own subscribers may already be gone.
    if (parent != nullptr) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    // Children become roots rather than keep pointing at freed memory.
    for (Transform* child : children) {
        child->parent = nullptr;
        child->markDirty();
    }
}

void Transform::markDirty() {
    if (dirty) {
        return;
    }
    dirty = true;
    fire(onChanged);
    for (Transform* child : children) {
        child->markDirty();
    }
}

void Transform::refresh() {
    if (!dirty) {
        return;
    }
    const glm::mat4 local = glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation) *
                            glm::scale(glm::mat4(1.0f), scale);
    if (parent != nullptr) {
        parent->refresh();
        worldMatrix = parent->worldMatrix * local;
        globalRotation = parent->globalRotation * rotation;
    } else {
        worldMatrix = local;
        globalRotation = rotation;
    }
    inverseWorldMatrix = glm::inverse(worldMatrix);
    inverseGlobalRotation = glm::inverse(globalRotation);
    glm::vec3 translation;
    glm::quat orientation;
    glm::vec3 skew;
    glm::vec4 perspective;
    glm::decompose(worldMatrix, globalScale, orientation, translation, skew, perspective);
    dirty = false;
}

void Transform::setPosition(const glm::vec3& value) {
    position = value;
    markDirty();
}

void Transform::setRotation(const glm::quat& value) {
    rotation = value;
    markDirty();
}

void Transform::setScale(const glm::vec3& value) {
    scale = value;
    markDirty();
}

void Transform::setLocalMatrix(const glm::mat4& matrix) {
    glm::vec3 skew;
    glm::vec4 perspective;
    glm::decompose(matrix, scale, rotation, position, skew, perspective);
    markDirty();
}

void Transform::setGlobalPosition(const glm::vec3& worldPosition) {
    if (parent != nullptr) {
        parent->refresh();
        position = glm::vec3(parent->inverseWorldMatrix * glm::vec4(worldPosition, 1.0f));
    } else {
        position = worldPosition;
    }
    markDirty();
}

void Transform::setGlobalRotation(const glm::quat& worldRotation) {
    if (parent != nullptr) {
        parent->refresh();
        rotation = parent->inverseGlobalRotation * worldRotation;
    } else {
        rotation = worldRotation;
    }
    markDirty();
}

void Transform::translate(const glm::vec3& delta) {
    position += rotation * delta;
    markDirty();
}

void Transform::rotate(const glm::quat& q, Space space) {
    switch (space) {
    case Space::Local:
        rotation = rotation * q;
        break;
    case Space::Parent:
        rotation = q * rotation;
        break;
    case Space::World:
        if (parent != nullptr) {
            parent->refresh();
            // q about world axes, expressed in the parent's frame.
            rotation = parent->inverseGlobalRotation * q * parent->globalRotation * rotation;
        } else {
            rotation = q * rotation;
        }
        break;
    }
    markDirty();
}

void Transform::rotate(float angleRadians, const glm::vec3& axis, Space space) {
    rotate(glm::angleAxis(angleRadians, axis), space);
}

void Transform::setParent(Transform* newParent) {
    // A transform under itself would make every world-matrix refresh recurse for ever.
    for (const Transform* ancestor = newParent; ancestor != nullptr; ancestor = ancestor->parent) {
        if (ancestor == this) {
            logWarning("Transform parent refused: it would make a cycle");
            return;
        }
    }
    if (parent != nullptr) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent = newParent;
    if (newParent != nullptr) {
        newParent->children.push_back(this);
    }
    markDirty();
}

const glm::mat4& Transform::getWorldMatrix() {
    refresh();
    return worldMatrix;
}

const glm::mat4& Transform::getInverseWorldMatrix() {
    refresh();
    return inverseWorldMatrix;
}

const glm::quat& Transform::getGlobalRotation() {
    refresh();
    return globalRotation;
}

const glm::quat& Transform::getInverseGlobalRotation() {
    refresh();
    return inverseGlobalRotation;
}

const glm::vec3& Transform::getGlobalScale() {
    refresh();
    return globalScale;
}

glm::vec3 Transform::getWorldPosition() {
    refresh();
    return glm::vec3(worldMatrix[3]);
}

glm::vec3 Transform::forward() {
    refresh();
    return -glm::vec3(worldMatrix[2]);
}
