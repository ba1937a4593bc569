// Checkpoint order and lap counting for one kart.
#include "game/RaceProgress.h"

#include "core/physics/RigidBodyDynamic.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "game/Checkpoint.h"
#include "game/RaceFlow.h"
#include "game/RaceMessages.h"

#include <algorithm>
#include <string>

RaceProgress::RaceProgress(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {
    if (entity == nullptr) {
        return;
    }
    if (auto* body = entity->getComponent<RigidBodyDynamic>()) {
        subscribe(body->onTriggerEnter, this, &RaceProgress::onTrigger);
    }
}

void RaceProgress::onTrigger(RigidBody*, RigidBody* other) {
    if (other == nullptr || other->entity == nullptr) {
        return;
    }
    Checkpoint* checkpoint = other->entity->getComponent<Checkpoint>();
    if (checkpoint == nullptr) {
        return;
    }
    // Wherever the kart first touches the track's checkpoints, its first lap starts there.
    if (lastCheckpoint == nullptr) {
        lastCheckpoint = checkpoint;
        lap = 1;
        return;
    }
    const RaceFlow* gameplay = race;
    if (gameplay == nullptr || gameplay->checkpoints.empty()) {
        return;
    }
    // By place in the race's list, not by number: the numbers may have gaps.
    const auto& order = gameplay->checkpoints;
    const auto last = std::find(order.begin(), order.end(), lastCheckpoint);
    if (last == order.end()) {
        return;
    }
    const size_t next = static_cast<size_t>(last - order.begin() + 1) % order.size();
    // Out of order (skipped ahead, driven backwards or touched twice): ignored.
    if (gameplay->checkpoints[next] != checkpoint) {
        return;
    }
    passCheckpoint(checkpoint, gameplay);
}

void RaceProgress::passCheckpoint(Checkpoint* checkpoint, const RaceFlow* gameplay) {
    lastCheckpoint = checkpoint;
    logInfo(entity->name, ", checkpoint #", checkpoint->index);
    // The first checkpoint that exists is the line, whatever its number.
    if (checkpoint == gameplay->checkpoints.front()) {
        startLap(gameplay);
    }
}

void RaceProgress::reset() {
    lastCheckpoint = nullptr;
    lap = 0;
    lapStartTime = 0.0f;
    bestLap = 0.0f;
    finishTime = 0.0f;
}

void RaceProgress::startLap(const RaceFlow* gameplay) {
    lap += 1;
    logInfo(entity->name, ", lap #", lap);
    if (lap >= 2 && finishTime <= 0.0f) {
        const float lapTime = gameplay->raceTime - lapStartTime;
        bestLap = bestLap > 0.0f ? std::min(bestLap, lapTime) : lapTime;
        lapStartTime = gameplay->raceTime;
    }
    if (static_cast<unsigned>(lap) > gameplay->numLaps) {
        if (finishTime <= 0.0f) {
            finishTime = gameplay->raceTime;
        }
        fire(onFinished, playerIndex);
        return;
    }
    if (RaceMessages* utils = gameplay->messages()) {
        utils->showMessage("Lap #" + std::to_string(lap), static_cast<int>(playerIndex), true,
                           glm::vec3(1.0f), 3.0f);
    }
}
