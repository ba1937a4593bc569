// Drives a player's kart from the keyboard and the player's gamepad (the first
// connected pad for player 1, the second for player 2): fills the kart's
// controls once per frame, before the fixed steps (see KartControls.h).
// Throttle and steering follow what is held now, keys before the pad; hop and
// respawn count the frame a key or button went down, boost counts while held.
// While the scene is paused no press is taken, so the key that ends a pause
// drives nothing.
//
// Pad: left stick or d-pad steer, right trigger or A accelerates, left trigger
// or B reverses, X boosts, Y hops, Back respawns.
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

    // Stick and trigger travel that counts as nothing: worn sticks rest off centre.
    static constexpr float stickDeadZone = 0.2f;
    static constexpr float triggerDeadZone = 0.1f;

private:
    bool down(int key) const;
    bool pressed(int key) const;
    float padThrottle(int gamepad) const;
    float padSteering(int gamepad) const;

    Input* input = nullptr;
    Car* car = nullptr;
};
