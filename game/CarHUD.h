// Keeps one player's speed read-out and boost bar in line with their kart.
#pragma once

#include "core/runtime/Updateable.h"

#include <string>

class Car;
class Text;
class Transform2D;

class CarHUD : public Updateable {
public:
    CarHUD(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // The speed rounded to whole units (halves away from zero), times 4, and " mph".
    static std::string speedLabel(float speed);
    // How full the boost bar is, 0 to 1: draining while a boost pushes, refilling
    // over the cooldown after it, full when the next boost is ready.
    static float boostFraction(const Car& car);

    Car* car = nullptr;
    Text* speedText = nullptr;
    Transform2D* boostFill = nullptr;
    // The full bar's size in this view (fractions of the window).
    float fullBarWidth = barWidth;
    float fullBarHeight = barHeight;

    // Width of the full bar as a fraction of the window.
    static constexpr float barWidth = 0.15f;
    static constexpr float barHeight = 0.01f;
};
