// Places a UI rectangle on the window, in pixels or in fractions of the window,
// and turns it into the matrix that maps the 1 x 1 quad onto that rectangle.
// Positions are measured from the window's top-left corner, y downwards. A new
// transform covers the whole window in fractions: centred, full size.
#pragma once

#include "core/runtime/Component.h"
#include "core/runtime/Event.h"

#include <glm/glm.hpp>

#include <cstdint>

// Which point of the rectangle the position names.
enum class Anchor : int32_t { Center, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

// None: width and height as set. HeightFollowsWidth: height = width / aspect.
// WidthFollowsHeight: width = height * aspect.
enum class AspectMode : int32_t { None = 0, HeightFollowsWidth = 1, WidthFollowsHeight = 2 };

class Transform2D : public Component {
public:
    Transform2D(SystemRegistry* systems, Entity* entity);

    // The matrix from the 1 x 1 quad centred on the origin to window pixels
    // (origin bottom-left), recomputed when dirty or when the window size changed.
    const glm::mat4& getMatrix() const;

    // Fills the whole window whatever its size (the scene transition overlay).
    void setFullScreen();

    void setRelative(bool value);
    void setPosition(const glm::vec2& value);
    void setSize(const glm::vec2& value);
    // first multiplies the height, second the width.
    void setScale(float first, float second);
    void setScale(float both) { setScale(both, both); }
    void setAnchor(Anchor value);
    void setAspectMode(AspectMode value);
    // Width / height for the aspect modes; elements set it from their content.
    void setAspect(float value);

    bool isRelative() const { return relative; }
    glm::vec2 getPosition() const { return position; }
    glm::vec2 getSize() const { return size; }
    float getFirstScale() const { return firstScale; }
    float getSecondScale() const { return secondScale; }
    Anchor getAnchor() const { return anchor; }
    AspectMode getAspectMode() const { return aspectMode; }
    float getAspect() const { return aspect; }

    // Forces the next getMatrix to recompute.
    void markDirty() { dirty = true; }
    // Marks dirty and tells the subscribed UI elements.
    void notifyChanged();

    Event<> changed;

private:
    glm::ivec2 windowSize() const;
    glm::mat4 computeMatrix(const glm::ivec2& window) const;

    bool relative = true;
    float aspect = 1.0f;
    glm::vec2 position{0.5f};
    glm::vec2 size{1.0f};
    float firstScale = 1.0f;
    float secondScale = 1.0f;
    Anchor anchor = Anchor::Center;
    AspectMode aspectMode = AspectMode::None;
    mutable bool dirty = true;
    mutable glm::ivec2 matrixWindow{0};
    mutable glm::mat4 matrix{1.0f};
};
