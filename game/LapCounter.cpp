// Lap text refresh.
#include "game/LapCounter.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"

#include <algorithm>
#include <string>

unsigned LapCounter::numLaps() const {
    return race != nullptr ? race->numLaps : RaceFlow::defaultNumLaps;
}

void LapCounter::update(float dt) {
    Updateable::update(dt);
    if (raceProps == nullptr || raceProps->lap == shownLap) {
        return;
    }
    const unsigned laps = numLaps();
    // A finished kart may go on counting laps; the display stops at the last one.
    shownLap = std::min(std::max(raceProps->lap, 0), static_cast<int>(laps));
    if (Text* text = entity->getComponent<Text>()) {
        text->text = "Lap " + std::to_string(shownLap) + "/" + std::to_string(laps);
        text->changed = true;
    }
}
