// A player's race position on their HUD ("2nd / 6"), rewritten only when it changes.
#pragma once

#include "core/runtime/Updateable.h"

class RaceFlow;

class PositionLabel : public Updateable {
public:
    using Updateable::Updateable;

    void update(float dt) override;

    Entity* kart = nullptr;
    int shownPosition = -1;

private:
    RaceFlow* gameplay = nullptr;
    bool looked = false;
    size_t kartIndex = 0;
};
