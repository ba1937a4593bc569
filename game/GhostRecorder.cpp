// Sampling the players' laps and keeping the best.
#include "game/GhostRecorder.h"

#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"
#include "game/GhostKart.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"

#include <algorithm>

GhostRecorder::GhostRecorder(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

void GhostRecorder::watch(RaceFlow& raceFlow, int playerCount, const std::string& raceTrack) {
    race = &raceFlow;
    players = playerCount;
    track = raceTrack;
    subscribe(race->onStarted, this, &GhostRecorder::onStarted);
}

void GhostRecorder::onStarted() {
    path = race->recordsPath.empty() ? std::string() : GhostLap::pathBeside(race->recordsPath, track);
    kept = GhostLap();
    if (!path.empty()) {
        kept.load(path);
    }
    if (ghostKart != nullptr) {
        ghostKart->race(kept);
    }
    karts.clear();
    for (int i = 0; i < players && static_cast<size_t>(i) < race->karts.size(); ++i) {
        Entity* kart = race->karts[static_cast<size_t>(i)];
        Watched watched;
        watched.progress = kart->getComponent<RaceProgress>();
        watched.transform = kart->getComponent<Transform>();
        if (watched.progress != nullptr && watched.transform != nullptr) {
            // A lap of ten minutes at most: sampling never allocates mid-race.
            watched.lap_.samples.reserve(GhostLap::maxSamples);
            karts.push_back(std::move(watched));
        }
    }
}

void GhostRecorder::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    for (Watched& kart : karts) {
        const int lap = kart.progress->lap;
        if (lap != kart.lap) {
            // One more lap from the line: the one before is whole. Anything else
            // (a new race, the first crossing) starts afresh.
            if (kart.lap >= 1 && lap == kart.lap + 1) {
                endLap(kart);
            }
            kart.lap = lap;
            kart.steps = 0;
            kart.lap_.samples.clear();
        }
        if (kart.lap < 1) {
            continue;
        }
        if (kart.steps % GhostLap::sampleSteps == 0 && kart.lap_.samples.size() < GhostLap::maxSamples) {
            kart.lap_.samples.push_back(
                {kart.transform->getWorldPosition(), kart.transform->getGlobalRotation()});
        }
        kart.steps += 1;
    }
}

void GhostRecorder::endLap(Watched& kart) {
    const float time = static_cast<float>(kart.steps) / 60.0f;
    if (kart.lap_.samples.size() < 2 || (!kept.samples.empty() && kept.lapTime <= time)) {
        return;
    }
    // The pose on the line closes the lap, so that the ghost arrives there.
    kart.lap_.samples.push_back({kart.transform->getWorldPosition(), kart.transform->getGlobalRotation()});
    kart.lap_.track = track;
    kart.lap_.lapTime = time;
    kept = kart.lap_;
    if (!path.empty() && kept.save(path)) {
        logInfo("Ghost of the best lap on ", track, " kept: ", time, " s");
    }
}
