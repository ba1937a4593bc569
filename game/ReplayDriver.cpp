// Recorded controls back into the karts.
#include "game/ReplayDriver.h"

#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "game/AiDriver.h"
#include "game/Car.h"
#include "game/PlayerDriver.h"
#include "game/RaceFlow.h"
#include "game/ReplayFile.h"

ReplayDriver::ReplayDriver(SystemRegistry* systems, Entity* entity, std::shared_ptr<const ReplayFile> file,
                           size_t kart)
    : Component(systems, entity), file(std::move(file)), kart(kart) {
    car = entity != nullptr ? entity->getComponent<Car>() : nullptr;
    if (car != nullptr) {
        // The kart may outlive its driver (the driver removed) or go first (the
        // entity torn down in order): the hook checks the driver is still there.
        const std::weak_ptr<char> driver = alive;
        car->feedStep = [this, driver](KartControls& controls) {
            if (!driver.expired()) {
                feed(controls);
            }
        };
    }
}

ReplayDriver::~ReplayDriver() = default;

bool ReplayDriver::done() const {
    return file == nullptr || step >= file->steps();
}

void ReplayDriver::feed(KartControls& controls) {
    if (done() || kart >= file->karts()) {
        controls = KartControls();
        return;
    }
    controls = file->at(step, kart);
    step += 1;
}

std::vector<ReplayDriver*> ReplayDriver::driveRace(RaceFlow& race,
                                                   const std::shared_ptr<const ReplayFile>& file) {
    std::vector<ReplayDriver*> drivers;
    if (file == nullptr || file->karts() != race.karts.size()) {
        logWarning("Replay: it has ", file != nullptr ? file->karts() : 0, " karts but the race has ",
                   race.karts.size());
        return drivers;
    }
    for (size_t i = 0; i < race.karts.size(); ++i) {
        if (race.karts[i] == nullptr || race.karts[i]->getComponent<Car>() == nullptr) {
            logWarning("Replay: the race's kart ", i + 1, " cannot be driven");
            return {};
        }
    }
    for (size_t i = 0; i < race.karts.size(); ++i) {
        Entity& kart = *race.karts[i];
        kart.removeComponents<PlayerDriver>();
        kart.removeComponents<AiDriver>();
        auto* driver = kart.addComponent<ReplayDriver>(file, i);
        subscribe(race.onStarted, driver, &ReplayDriver::onRaceStarted);
        drivers.push_back(driver);
    }
    race.seed = file->seed;
    race.chosenSeed = true;
    race.numLaps = file->setup.laps;
    return drivers;
}
