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

RaceFlow* RaceProgress::findGameplay() const {
    if (entity == nullptr || entity->scene == nullptr) {
        return nullptr;
    }
    Entity* holder = entity->scene->findEntity("gameplay");
    return holder != nullptr ? holder->getComponent<RaceFlow>() : nullptr;
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
    const RaceFlow* gameplay = findGameplay();
    if (gameplay == nullptr || gameplay->checkpoints.empty() || lastCheckpoint->index < 0) {
        return;
    }
    const size_t next = static_cast<size_t>(lastCheckpoint->index + 1) % gameplay->checkpoints.size();
    // Out of order (skipped ahead, driven backwards or touched twice): ignored.
    if (gameplay->checkpoints[next] != checkpoint) {
        return;
    }
    passCheckpoint(checkpoint, gameplay);
}

void RaceProgress::passCheckpoint(Checkpoint* checkpoint, const RaceFlow* gameplay) {
    lastCheckpoint = checkpoint;
    logInfo(entity->name, ", checkpoint #", checkpoint->index);
    if (checkpoint->index == 0) {
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
    if (Entity* holder = entity->scene->findEntity("gameplay")) {
        if (RaceMessages* utils = holder->getComponent<RaceMessages>()) {
            utils->showMessage("Lap #" + std::to_string(lap), static_cast<int>(playerIndex), true,
                               glm::vec3(1.0f), 3.0f);
        }
    }
}
