// Keys to kart controls.
#include "game/PlayerDriver.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "game/Car.h"

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
    // One key of a pair wins when both are held: forward over reverse, left over right.
    controls.throttle = down(keys.accelerate) ? 1.0f : down(keys.reverse) ? -1.0f : 0.0f;
    controls.steering = down(keys.steerLeft) ? -1.0f : down(keys.steerRight) ? 1.0f : 0.0f;
    const bool paused = entity->scene != nullptr && entity->scene->timeScale <= 0.0f;
    if (paused) {
        return;
    }
    controls.boost |= down(keys.boost);
    controls.hop |= pressed(keys.hop);
    controls.respawn |= pressed(keys.respawn);
}
