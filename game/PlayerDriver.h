// Drives a player's kart from the keyboard: fills the kart's controls from the
// player's keys once per frame, before the fixed steps (see KartControls.h).
// Throttle and steering follow the keys held now; hop and respawn count the
// frame a key went down, boost counts while its key is held. While the scene is
// paused no press is taken, so the key that ends a pause drives nothing.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/PlayerKeys.h"

class Car;
class Input;

class PlayerDriver : public Updateable {
public:
    // The entity's Car must exist already.
    PlayerDriver(SystemRegistry* systems, Entity* entity, const PlayerKeys& keys);

    void earlyUpdate(float dt) override;

    PlayerKeys keys;

private:
    bool down(int key) const;
    bool pressed(int key) const;

    Input* input = nullptr;
    Car* car = nullptr;
};
