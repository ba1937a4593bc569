// A player's lap display on the HUD: "Lap 1/3", rewritten only when the lap changes.
#pragma once

#include "core/runtime/Updateable.h"

class RaceFlow;
class RaceProgress;

class LapCounter : public Updateable {
public:
    using Updateable::Updateable;

    void update(float dt) override;

    RaceProgress* raceProps = nullptr;
    // Where the race's lap count comes from; without one, the default count.
    const RaceFlow* race = nullptr;
    int shownLap = -1;

private:
    unsigned numLaps() const;
};
