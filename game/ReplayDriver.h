// Drives a kart from a replay: at the start of every fixed step of the race it
// hands the kart the controls its kart took in the same step of the recorded
// race (through Car::feedStep, so several steps in one frame each get their
// own), and neutral controls once the recording has run out.
#pragma once

#include "core/runtime/Component.h"

#include <cstddef>
#include <memory>
#include <vector>

class Car;
class RaceFlow;
class ReplayFile;
struct KartControls;

class ReplayDriver : public Component {
public:
    // The entity's Car must exist already; kart is its index in the file.
    ReplayDriver(SystemRegistry* systems, Entity* entity, std::shared_ptr<const ReplayFile> file,
                 size_t kart);
    ~ReplayDriver() override;

    // Back to the recording's first step (the race has started again).
    void restart() { step = 0; }
    // Every recorded step has been handed over.
    bool done() const;
    size_t stepsDriven() const { return step; }

    // Takes the race's karts from their drivers and gives each a ReplayDriver
    // for the file's kart of the same place, with the recorded seed and laps;
    // each restarts with the race. Empty, with one log line and the race
    // untouched, when the file's karts do not match the race's.
    static std::vector<ReplayDriver*> driveRace(RaceFlow& race,
                                                const std::shared_ptr<const ReplayFile>& file);

private:
    void feed(KartControls& controls);
    void onRaceStarted() { restart(); }

    std::shared_ptr<const ReplayFile> file;
    size_t kart = 0;
    size_t step = 0;
    Car* car = nullptr;
    // Expires with the driver, for the kart's hook.
    std::shared_ptr<char> alive = std::make_shared<char>(0);
};
