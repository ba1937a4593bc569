// A player's race position on their HUD ("2nd / 6"), rewritten only when it changes.
#pragma once

#include "core/runtime/Updateable.h"

#include <cstddef>

class RaceFlow;

class PositionLabel : public Updateable {
public:
    using Updateable::Updateable;

    void update(float dt) override;

    // Handed over when the HUD is built: the race and the kart's index in its karts.
    const RaceFlow* race = nullptr;
    size_t kartIndex = 0;
    int shownPosition = -1;
};
