// With nobody driving (the title's attract race, or players = 0), the one
// camera shows the race from behind whichever kart leads: every checkInterval
// seconds it moves to the leader, snapping there rather than sweeping across
// the track. The kart it follows hands it to its Spawner, so that a respawn
// is followed as a player's would be.
#pragma once

#include "core/runtime/Updateable.h"

#include <cstddef>

class FollowCamera;
class RaceFlow;

class LeaderCamera : public Updateable {
public:
    LeaderCamera(SystemRegistry* systems, Entity* entity, FollowCamera* camera, RaceFlow* race);

    void update(float dt) override;

    // The kart followed now, by index in the race's karts.
    size_t followed() const { return shown; }

    static constexpr float checkInterval = 3.0f;

private:
    FollowCamera* camera = nullptr;
    RaceFlow* race = nullptr;
    float sinceCheck = 0.0f;
    size_t shown = 0;
};
