// A perspective camera looking from its entity's Transform into a rectangle of
// the window given as fractions of the window size. The renderer keeps one View
// per enabled camera; split screen is two cameras sharing the window.
#pragma once

#include "core/render/Frustum.h"
#include "core/runtime/Component.h"

#include <glm/glm.hpp>

class Transform;

class Camera : public Component {
public:
    Camera(SystemRegistry* systems, Entity* entity);
    ~Camera() override;

    // Inverse of the entity's world matrix.
    glm::mat4 getView();
    // The entity's world matrix.
    glm::mat4 getEye();
    glm::vec3 getPosition();
    // Rebuilt from fov, near, far and the aspect unless a custom projection is set.
    const glm::mat4& getProjection();
    glm::mat4 getViewProjection();
    const Frustum& getFrustum();

    // (window width × viewportWidth) / (window height × viewportHeight).
    float getAspect() const;
    // The viewport in window pixels: x, y (from the bottom), width, height.
    glm::ivec4 getPixelViewport() const;

    void setViewport(float x, float y, float width, float height);
    // Uses matrix unchanged from now on; fov, near and far no longer apply.
    void setCustomProjection(const glm::mat4& matrix);

    // The entity's Transform, created when the entity has none.
    Transform* getTransform();

    glm::vec3 clearColor{1.0f, 1.0f, 1.0f};
    float viewportX = 0.0f;
    float viewportY = 0.0f;
    float viewportWidth = 1.0f;
    float viewportHeight = 1.0f;
    bool autoProjection = true;
    glm::mat4 projection{1.0f};
    Frustum frustum;
    float fov = 90.0f;
    float near = 0.1f;
    float far = 1000.0f;
    bool customProjection = false;

private:
    glm::ivec2 windowSize() const;
};
