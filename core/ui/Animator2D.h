// Plays one blend of a UI element's scale and alpha over a duration: with the
// defaults the element grows to twice its size while fading out within a second
// (pop-up messages and counters). restart() plays it again from where it is.
#pragma once

#include "core/runtime/Updateable.h"

class Transform2D;
class UIElement;

class Animator2D : public Updateable {
public:
    Animator2D(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // Starts a new run from the element's current scale and alpha.
    void restart();

    bool isRunning() const { return startTime >= 0.0f && currentTime <= startTime + duration; }

    float duration = 1.0f;
    float targetAlpha = 0.0f;
    // first multiplies the height, second the width, as in Transform2D.
    float targetFirstScale = 2.0f;
    float targetSecondScale = 2.0f;

private:
    UIElement* element() const;
    Transform2D* getTransform();

    Transform2D* transform = nullptr;
    float startAlpha = 1.0f;
    float startFirstScale = 0.0f;
    float startSecondScale = 0.0f;
    float startTime = -1.0f;
    float currentTime = -1.0f;
};
