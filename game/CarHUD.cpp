// Speed read-out and boost bar.
#include "game/CarHUD.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "game/Car.h"

#include <algorithm>
#include <cmath>

CarHUD::CarHUD(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

std::string CarHUD::speedLabel(float speed) {
    return std::to_string(std::lround(speed) * 4) + " mph";
}

float CarHUD::boostFraction(const Car& car) {
    const float fraction =
        car.boostTimeLeft > 0.0f ? car.boostTimeLeft / car.boostDuration : car.boostTimer / car.boostCooldown;
    return std::clamp(fraction, 0.0f, 1.0f);
}

void CarHUD::update(float dt) {
    Updateable::update(dt);
    if (car == nullptr || speedText == nullptr) {
        return;
    }
    speedText->text = speedLabel(car->groundSpeed);
    speedText->changed = true;
    if (boostFill != nullptr) {
        const glm::vec2 size(boostFraction(*car) * fullBarWidth, fullBarHeight);
        if (size != boostFill->getSize()) {
            boostFill->setSize(size);
        }
    }
}
