// Taking karts off the track and putting them back.
#include "game/Spawner.h"

#include "core/audio/AudioSource.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/CarParticles.h"
#include "game/Checkpoint.h"
#include "game/FollowCamera.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"

Spawner::Spawner(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

int Spawner::playerIndex() const {
    if (const auto* props = entity->getComponent<RaceProgress>()) {
        return static_cast<int>(props->playerIndex);
    }
    const auto* car = entity->getComponent<Car>();
    return car != nullptr ? car->playerIndex : 0;
}

void Spawner::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    // The kart takes its controls first in each step (it is added before this).
    const auto* car = entity->getComponent<Car>();
    const bool asked = car != nullptr && car->stepControls().respawn;
    if (respawning) {
        return;
    }
    auto* transform = entity->getComponent<Transform>();
    const bool inWater = transform != nullptr && transform->getWorldPosition().y < waterLevel;
    const bool stranded = !inWater && !asked && isStranded(dt);
    if (stranded) {
        logInfo("Player ", playerIndex() + 1, " made no headway for ", strandedTime,
                " s: back to the last checkpoint");
    }
    if (inWater || asked || stranded) {
        takeOffTrack();
        if (inWater) {
            if (auto* particles = entity->getComponent<CarParticles>()) {
                particles->splash();
            }
            if (splashSource != nullptr) {
                splashSource->play();
            }
        }
    }
}

bool Spawner::isStranded(float dt) {
    const auto* car = entity->getComponent<Car>();
    auto* transform = entity->getComponent<Transform>();
    if (car == nullptr || transform == nullptr) {
        return false;
    }
    const glm::vec3 position = transform->getWorldPosition();
    if (glm::distance(position, headwayFrom) > strandedReach) {
        headwayFrom = position;
        throttleWithoutHeadway = 0.0f;
    }
    // Letting go to rock the kart free pauses the count instead of restarting it.
    if (car->throttle > 0.0f) {
        throttleWithoutHeadway += dt;
    }
    if (throttleWithoutHeadway < strandedTime) {
        return false;
    }
    throttleWithoutHeadway = 0.0f;
    return true;
}

void Spawner::takeOffTrack() {
    respawning = true;
    if (auto* car = entity->getComponent<Car>()) {
        car->stop();
        car->controlsEnabled = false;
    }
    if (followCamera != nullptr) {
        followCamera->setTarget(nullptr);
    }
    const unsigned number = ++respawnNumber;
    invoke(
        [this, number] {
            if (number == respawnNumber) {
                respawn();
            }
        },
        respawnDelay);
}

void Spawner::cancelRespawn() {
    ++respawnNumber;
    if (!respawning) {
        return;
    }
    respawning = false;
    if (followCamera != nullptr) {
        followCamera->setTarget(entity->getComponent<Transform>());
    }
}

Checkpoint* Spawner::respawnCheckpoint() const {
    const RaceFlow* gameplay = race;
    if (gameplay == nullptr || gameplay->checkpoints.empty()) {
        return nullptr;
    }
    const auto* props = entity->getComponent<RaceProgress>();
    if (props != nullptr && props->lastCheckpoint != nullptr) {
        return props->lastCheckpoint;
    }
    return gameplay->checkpoints.front();
}

glm::vec3 Spawner::respawnPosition(const Checkpoint& checkpoint) const {
    auto* transform = checkpoint.entity->getComponent<Transform>();
    if (transform == nullptr) {
        return glm::vec3(0.0f);
    }
    const glm::vec3 right = transform->getGlobalRotation() * glm::vec3(1.0f, 0.0f, 0.0f);
    const float side = playerIndex() == 0 ? -sideOffset : sideOffset;
    return transform->getWorldPosition() + side * right;
}

glm::quat Spawner::respawnRotation(const Checkpoint& checkpoint) const {
    auto* transform = checkpoint.entity->getComponent<Transform>();
    return transform != nullptr ? transform->getGlobalRotation() : glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
}

void Spawner::respawn() {
    const Checkpoint* checkpoint = respawnCheckpoint();
    const auto player = static_cast<size_t>(playerIndex());
    auto* car = entity->getComponent<Car>();
    if (car != nullptr) {
        // The kart has been sinking for a second; it should land, not crash down.
        car->stop();
    }
    if (auto* body = entity->getComponent<RigidBodyDynamic>()) {
        if (checkpoint != nullptr) {
            body->teleport(respawnPosition(*checkpoint), respawnRotation(*checkpoint));
        } else if (race != nullptr && player < race->startPositions.size()) {
            body->teleport(race->startPositions[player], race->startRotations[player]);
        }
    }
    if (followCamera != nullptr) {
        followCamera->setTarget(entity->getComponent<Transform>());
    }
    // Only a kart in a running race gets its controls back: one taken off during
    // the countdown waits for "Go!" like the other, and the race's end stays final.
    if (car != nullptr) {
        car->controlsEnabled = race == nullptr || race->state == RaceFlow::racing;
    }
    respawning = false;
    if (auto* transform = entity->getComponent<Transform>()) {
        headwayFrom = transform->getWorldPosition();
    }
    throttleWithoutHeadway = 0.0f;
}
