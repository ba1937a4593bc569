// The race on the "gameplay" entity: its karts, its checkpoints in lap order
// and the number of laps to drive.
#pragma once

#include "core/runtime/Updateable.h"

#include <vector>

class Checkpoint;
class Entity;

class Gameplay : public Updateable {
public:
    using Updateable::Updateable;

    // Player 1's kart first.
    std::vector<Entity*> karts;
    // In ascending checkpoint number; a kart must pass them in this order.
    std::vector<Checkpoint*> checkpoints;
    unsigned numLaps = defaultNumLaps;

    static constexpr unsigned defaultNumLaps = 3;
};
