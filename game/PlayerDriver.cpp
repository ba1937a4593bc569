// Keys to kart controls.
#include "game/PlayerDriver.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "game/Car.h"

#include <algorithm>
#include <cmath>

PlayerDriver::PlayerDriver(SystemRegistry* systems, Entity* entity, const PlayerKeys& keys)
    : Updateable(systems, entity), keys(keys) {
    input = systems != nullptr ? systems->get<Input>() : nullptr;
    car = entity != nullptr ? entity->getComponent<Car>() : nullptr;
}

bool PlayerDriver::down(int key) const {
    return input->isKeyDown(key);
}

bool PlayerDriver::pressed(int key) const {
    return input->getKey(key) == KeyState::Pressed;
}

void PlayerDriver::earlyUpdate(float dt) {
    Updateable::earlyUpdate(dt);
    if (input == nullptr || car == nullptr) {
        return;
    }
    KartControls& controls = car->controls;
    const int gamepad = input->gamepadOfPlayer(car->playerIndex);
    // One key of a pair wins when both are held: forward over reverse, left over right.
    controls.throttle = down(keys.accelerate) ? 1.0f : down(keys.reverse) ? -1.0f : padThrottle(gamepad);
    controls.steering = down(keys.steerLeft) ? -1.0f : down(keys.steerRight) ? 1.0f : padSteering(gamepad);
    const bool paused = entity->scene != nullptr && entity->scene->timeScale <= 0.0f;
    if (paused) {
        return;
    }
    controls.boost |= down(keys.boost) || input->isGamepadButtonDown(gamepad, pad::x);
    controls.hop |= pressed(keys.hop) || input->isGamepadButtonPressed(gamepad, pad::y);
    controls.respawn |= pressed(keys.respawn) || input->isGamepadButtonPressed(gamepad, pad::back);
}

namespace {

// 0 inside the dead zone, then growing to 1 at full travel, so that the first
// bit past the dead zone is gentle.
float beyondDeadZone(float value, float deadZone) {
    const float travel = std::abs(value);
    if (travel <= deadZone) {
        return 0.0f;
    }
    return std::copysign(std::min(1.0f, (travel - deadZone) / (1.0f - deadZone)), value);
}

} // namespace

float PlayerDriver::padThrottle(int gamepad) const {
    if (input->isGamepadButtonDown(gamepad, pad::a)) {
        return 1.0f;
    }
    if (input->isGamepadButtonDown(gamepad, pad::b)) {
        return -1.0f;
    }
    // Triggers run from -1 (let go) to +1 (pulled).
    const float forward =
        beyondDeadZone(0.5f * (input->getGamepadAxis(gamepad, pad::rightTrigger) + 1.0f), triggerDeadZone);
    const float backward =
        beyondDeadZone(0.5f * (input->getGamepadAxis(gamepad, pad::leftTrigger) + 1.0f), triggerDeadZone);
    return forward - backward;
}

float PlayerDriver::padSteering(int gamepad) const {
    if (input->isGamepadButtonDown(gamepad, pad::dpadLeft)) {
        return -1.0f;
    }
    if (input->isGamepadButtonDown(gamepad, pad::dpadRight)) {
        return 1.0f;
    }
    return beyondDeadZone(input->getGamepadAxis(gamepad, pad::leftX), stickDeadZone);
}
