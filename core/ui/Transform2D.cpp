// Rectangle placement and its cached matrix.
#include "core/ui/Transform2D.h"

#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/SystemRegistry.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace {

// Offset of the rectangle's centre from the anchor point, with y pointing up.
glm::vec2 anchorOffset(Anchor anchor, float w, float h) {
    switch (anchor) {
    case Anchor::Center:
        return {0.0f, 0.0f};
    case Anchor::Left:
        return {w / 2.0f, 0.0f};
    case Anchor::Right:
        return {-w / 2.0f, 0.0f};
    case Anchor::Top:
        return {0.0f, -h / 2.0f};
    case Anchor::Bottom:
        return {0.0f, h / 2.0f};
    case Anchor::TopLeft:
        return {w / 2.0f, -h / 2.0f};
    case Anchor::TopRight:
        return {-w / 2.0f, -h / 2.0f};
    case Anchor::BottomLeft:
        return {w / 2.0f, h / 2.0f};
    case Anchor::BottomRight:
        return {-w / 2.0f, h / 2.0f};
    }
    return {0.0f, 0.0f};
}

} // namespace

Transform2D::Transform2D(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

const glm::mat4& Transform2D::getMatrix() const {
    const glm::ivec2 window = windowSize();
    // The window size is part of the matrix's input: a cache made for another
    // window size (fullscreen on a bigger monitor) would misplace the element.
    if (dirty || window != matrixWindow) {
        matrix = computeMatrix(window);
        matrixWindow = window;
        dirty = false;
    }
    return matrix;
}

glm::mat4 Transform2D::computeMatrix(const glm::ivec2& window) const {
    const auto windowW = static_cast<float>(window.x);
    const auto windowH = static_cast<float>(window.y);
    float x = position.x;
    float y = (relative ? 1.0f : windowH) - position.y;
    float w = size.x;
    float h = size.y;
    if (relative) {
        x *= windowW;
        y *= windowH;
        w *= windowW;
        h *= windowH;
    }
    // An empty element (no texture size, no laid-out text) has no usable aspect.
    const bool aspectUsable = aspect > 0.0f && std::isfinite(aspect);
    if (aspectUsable && aspectMode == AspectMode::HeightFollowsWidth) {
        h = w / aspect;
    } else if (aspectUsable && aspectMode == AspectMode::WidthFollowsHeight) {
        w = aspect * h;
    }
    h *= firstScale;
    w *= secondScale;
    const glm::vec2 centre = glm::vec2(x, y) + anchorOffset(anchor, w, h);
    return glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(centre, 0.0f)), glm::vec3(w, h, 1.0f));
}

glm::ivec2 Transform2D::windowSize() const {
    if (const Graphics* graphics = systems != nullptr ? systems->get<Graphics>() : nullptr) {
        if (graphics->width > 0 && graphics->height > 0) {
            return {graphics->width, graphics->height};
        }
    }
    // Before the window opens (or without one) the configured size is what it will be.
    if (const Engine* engine = systems != nullptr ? systems->get<Engine>() : nullptr) {
        return {engine->config.width, engine->config.height};
    }
    return {0, 0};
}

void Transform2D::setFullScreen() {
    relative = true;
    position = glm::vec2(0.5f);
    size = glm::vec2(1.0f);
    firstScale = 1.0f;
    secondScale = 1.0f;
    anchor = Anchor::Center;
    aspectMode = AspectMode::None;
    notifyChanged();
}

void Transform2D::setRelative(bool value) {
    relative = value;
    notifyChanged();
}

void Transform2D::setPosition(const glm::vec2& value) {
    position = value;
    notifyChanged();
}

void Transform2D::setSize(const glm::vec2& value) {
    size = value;
    notifyChanged();
}

void Transform2D::setScale(float first, float second) {
    firstScale = first;
    secondScale = second;
    notifyChanged();
}

void Transform2D::setAnchor(Anchor value) {
    anchor = value;
    notifyChanged();
}

void Transform2D::setAspectMode(AspectMode value) {
    aspectMode = value;
    notifyChanged();
}

void Transform2D::setAspect(float value) {
    // Elements set their aspect every frame; only a real change costs a recompute.
    if (value != aspect) {
        aspect = value;
        dirty = true;
    }
}

void Transform2D::notifyChanged() {
    dirty = true;
    fire(changed);
}
