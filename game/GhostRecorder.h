// Keeps the best lap of the race's players on its track as a ghost: samples each
// player's kart every GhostLap::sampleSteps fixed steps from the line, and when
// a lap ends faster than the kept one (or none is kept), saves it as the track's
// ghost. Laps count from the line to the line, so the run-up to the first
// crossing never counts. The ghost lives beside the race's records file and is
// read again at each start (and handed to the race's GhostKart, if any); a race
// without a records file keeps no ghost.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/GhostLap.h"

#include <string>
#include <vector>

class GhostKart;
class RaceFlow;
class RaceProgress;
class Transform;

class GhostRecorder : public Updateable {
public:
    GhostRecorder(SystemRegistry* systems, Entity* entity);

    // Watches the first players karts of race on track from each start of race.
    void watch(RaceFlow& race, int players, const std::string& track);

    void fixedUpdate(float dt) override;

    // The lap kept now (empty when none).
    const GhostLap& best() const { return kept; }
    const std::string& file() const { return path; }

    // Races the kept lap; may be null.
    GhostKart* ghostKart = nullptr;

private:
    struct Watched {
        RaceProgress* progress = nullptr;
        Transform* transform = nullptr;
        int lap = 0;
        uint32_t steps = 0;
        GhostLap lap_;
    };
    void endLap(Watched& kart);
    void onStarted();

    RaceFlow* race = nullptr;
    int players = 0;

    std::vector<Watched> karts;
    GhostLap kept;
    std::string path;
    std::string track;
};
