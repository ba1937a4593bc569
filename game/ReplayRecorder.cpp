// Recording races and saving them as replays.
#include "game/ReplayRecorder.h"

#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "game/Car.h"
#include "game/RaceFlow.h"
#include "game/ReplayPlayback.h"

#include <algorithm>

ReplayRecorder::ReplayRecorder(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

void ReplayRecorder::record(RaceFlow& raceFlow, const RaceSetup& raceSetup) {
    race = &raceFlow;
    setup = raceSetup;
    subscribe(race->onStarted, this, &ReplayRecorder::onStarted);
    subscribe(race->onOver, this, &ReplayRecorder::onOver);
}

void ReplayRecorder::onStarted() {
    cars.clear();
    std::vector<std::string> names;
    for (Entity* kart : race->karts) {
        Car* car = kart != nullptr ? kart->getComponent<Car>() : nullptr;
        if (car == nullptr) {
            // A race without all its karts cannot be replayed.
            recordingNow = false;
            return;
        }
        cars.push_back(car);
        names.push_back(kart->name);
    }
    setup.laps = race->numLaps;
    setup.players = std::min(race->humanPlayers, static_cast<int>(cars.size()));
    setup.ai = static_cast<int>(cars.size()) - setup.players;
    file.begin(setup, race->seed, std::move(names));
    stepScratch.resize(cars.size());
    recordingNow = !cars.empty();
    finished = false;
    savedPath.clear();
    if (hint != nullptr) {
        hint->text.clear();
        hint->changed = true;
    }
}

void ReplayRecorder::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    if (!recordingNow) {
        return;
    }
    for (size_t i = 0; i < cars.size(); ++i) {
        stepScratch[i] = cars[i]->stepControls();
    }
    if (!file.addStep(stepScratch.data())) {
        logWarning("Replay: the race is longer than a replay holds; the rest is not recorded");
        recordingNow = false;
    }
}

void ReplayRecorder::onOver() {
    if (!recordingNow && file.steps() == 0) {
        return;
    }
    recordingNow = false;
    finished = true;
    const bool kept = saves && file.setup.players > 0;
    const std::string where = !kept ? std::string() : folder.empty() ? ReplayFile::folder() : folder;
    if (!where.empty()) {
        const std::string path = ReplayFile::newPath(where);
        if (file.save(path)) {
            savedPath = path;
            logInfo("Replay saved: ", path);
            ReplayFile::keepNewest(where, ReplayFile::keptReplays);
        }
    }
    if (hint != nullptr) {
        hint->text = hintText;
        hint->changed = true;
    }
}

void ReplayRecorder::update(float dt) {
    Updateable::update(dt);
    if (!finished || race == nullptr || race->state != RaceFlow::raceOver) {
        return;
    }
    auto* input = systems->get<Input>();
    if (input != nullptr &&
        (input->getKey(key::r) == KeyState::Pressed || input->anyGamepadButtonPressed(pad::y))) {
        finished = false;
        startReplay(systems, file);
    }
}
