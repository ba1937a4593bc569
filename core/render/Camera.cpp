// Camera projection, viewport and frustum.
#include "core/render/Camera.h"

#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <cmath>

Camera::Camera(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

Camera::~Camera() {
    // The renderer's view keeps a pointer to this camera; drop it now rather than
    // let a later frame compare against freed memory.
    if (systems != nullptr) {
        if (Renderer* renderer = systems->get<Renderer>()) {
            renderer->removeViews(this);
        }
    }
}

Transform* Camera::getTransform() {
    if (entity == nullptr) {
        return nullptr;
    }
    if (Transform* transform = entity->getComponent<Transform>()) {
        return transform;
    }
    logInfo("Camera: No transform found on entity '", entity->name, "', creating one.");
    return entity->addComponent<Transform>();
}

glm::mat4 Camera::getView() {
    Transform* transform = getTransform();
    return transform != nullptr ? transform->getInverseWorldMatrix() : glm::mat4(1.0f);
}

glm::mat4 Camera::getEye() {
    Transform* transform = getTransform();
    return transform != nullptr ? transform->getWorldMatrix() : glm::mat4(1.0f);
}

glm::vec3 Camera::getPosition() {
    return glm::vec3(getEye()[3]);
}

glm::ivec2 Camera::windowSize() const {
    const Graphics* graphics = systems != nullptr ? systems->get<Graphics>() : nullptr;
    if (graphics == nullptr || graphics->width <= 0 || graphics->height <= 0) {
        return {1, 1};
    }
    return {graphics->width, graphics->height};
}

float Camera::getAspect() const {
    const glm::ivec2 size = windowSize();
    const float height = static_cast<float>(size.y) * viewportHeight;
    return height > 0.0f ? static_cast<float>(size.x) * viewportWidth / height : 1.0f;
}

glm::ivec4 Camera::getPixelViewport() const {
    const glm::vec2 size(windowSize());
    return {static_cast<int>(viewportX * size.x), static_cast<int>(viewportY * size.y),
            static_cast<int>(viewportWidth * size.x), static_cast<int>(viewportHeight * size.y)};
}

const glm::mat4& Camera::getProjection() {
    if (autoProjection && !customProjection) {
        const float f = 1.0f / std::tan(fov * 0.017453292f * 0.5f);
        projection = glm::mat4(0.0f);
        projection[0][0] = f / getAspect();
        projection[1][1] = f;
        projection[2][2] = -(far + near) / (far - near);
        projection[2][3] = -1.0f;
        projection[3][2] = -(2.0f * far * near) / (far - near);
    }
    return projection;
}

glm::mat4 Camera::getViewProjection() {
    return getProjection() * getView();
}

const Frustum& Camera::getFrustum() {
    frustum = Frustum::fromInverseViewProjection(glm::inverse(getViewProjection()));
    return frustum;
}

void Camera::setViewport(float x, float y, float width, float height) {
    viewportX = x;
    viewportY = y;
    viewportWidth = width;
    viewportHeight = height;
}

void Camera::setCustomProjection(const glm::mat4& matrix) {
    projection = matrix;
    customProjection = true;
}
