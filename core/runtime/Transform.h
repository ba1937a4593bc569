// Places an entity in 3D: position, rotation and scale relative to an optional
// parent transform. World values are rebuilt lazily, and onChanged fires once
// per burst of changes (marking stops at transforms that are already dirty).
#pragma once

#include "core/runtime/Component.h"
#include "core/runtime/Event.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <vector>

enum class Space { Local = 0, Parent = 1, World = 2 };

class Transform : public Component {
public:
    Transform(SystemRegistry* systems, Entity* entity);
    ~Transform() override;

    void markDirty();
    void refresh();

    void setPosition(const glm::vec3& value);
    void setRotation(const glm::quat& value);
    void setScale(const glm::vec3& value);
    void setLocalMatrix(const glm::mat4& matrix);
    void setGlobalPosition(const glm::vec3& worldPosition);
    void setGlobalRotation(const glm::quat& worldRotation);
    void translate(const glm::vec3& delta);
    void translate(float x, float y, float z) { translate(glm::vec3(x, y, z)); }
    void rotate(const glm::quat& q, Space space);
    void rotate(float angleRadians, const glm::vec3& axis, Space space);
    void setParent(Transform* newParent);

    const glm::vec3& getPosition() const { return position; }
    const glm::quat& getRotation() const { return rotation; }
    const glm::vec3& getScale() const { return scale; }
    Transform* getParent() const { return parent; }
    const std::vector<Transform*>& getChildren() const { return children; }
    bool isDirty() const { return dirty; }

    const glm::mat4& getWorldMatrix();
    const glm::mat4& getInverseWorldMatrix();
    const glm::quat& getGlobalRotation();
    const glm::quat& getInverseGlobalRotation();
    const glm::vec3& getGlobalScale();
    glm::vec3 getWorldPosition();
    // World direction of local -Z, not normalised.
    glm::vec3 forward();

    Event<> onChanged;

private:
    std::vector<Transform*> children;
    Transform* parent = nullptr;
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{1.0f};
    glm::mat4 worldMatrix{1.0f};
    glm::mat4 inverseWorldMatrix{1.0f};
    glm::quat globalRotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::quat inverseGlobalRotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 globalScale{0.0f};
    bool dirty = true;
};
