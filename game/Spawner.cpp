// Taking karts off the track and putting them back.
#include "game/Spawner.h"

#include "core/audio/AudioSource.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/CarParticles.h"
#include "game/Checkpoint.h"
#include "game/FollowCamera.h"
#include "game/Gameplay.h"
#include "game/RaceProps.h"

#include <GLFW/glfw3.h>

Spawner::Spawner(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

int Spawner::playerIndex() const {
    if (const auto* props = entity->getComponent<RaceProps>()) {
        return static_cast<int>(props->playerIndex);
    }
    const auto* car = entity->getComponent<Car>();
    return car != nullptr ? car->playerIndex : 0;
}

void Spawner::update(float dt) {
    Updateable::update(dt);
    // While the game is paused nothing may be taken off: a press there would
    // otherwise act as soon as the race resumes.
    if (entity->scene->timeScale <= 0.0f) {
        respawnAsked = false;
        return;
    }
    // Read per frame: a frame shorter than the physics step may run no step at all,
    // and the press would be lost if only the steps looked for it.
    auto* input = systems->get<Input>();
    if (input != nullptr && input->getKey(GLFW_KEY_R) == KeyState::Pressed) {
        respawnAsked = true;
    }
}

void Spawner::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    const bool asked = respawnAsked;
    respawnAsked = false;
    if (respawning) {
        return;
    }
    auto* transform = entity->getComponent<Transform>();
    const bool inWater = transform != nullptr && transform->getWorldPosition().y < waterLevel;
    if (inWater || asked) {
        takeOffTrack();
        if (inWater) {
            if (auto* particles = entity->getComponent<CarParticles>()) {
                particles->splash();
            }
        }
    }
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
    if (splashSource != nullptr) {
        splashSource->play();
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
    respawnAsked = false;
    if (!respawning) {
        return;
    }
    respawning = false;
    if (followCamera != nullptr) {
        followCamera->setTarget(entity->getComponent<Transform>());
    }
}

Gameplay* Spawner::findGameplay() const {
    Entity* gameplayEntity = entity->scene->findEntity("gameplay");
    return gameplayEntity != nullptr ? gameplayEntity->getComponent<Gameplay>() : nullptr;
}

Checkpoint* Spawner::respawnCheckpoint() const {
    const Gameplay* gameplay = findGameplay();
    if (gameplay == nullptr || gameplay->checkpoints.empty()) {
        return nullptr;
    }
    const auto* props = entity->getComponent<RaceProps>();
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
    const Gameplay* race = findGameplay();
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
        car->controlsEnabled = race == nullptr || race->state == Gameplay::racing;
    }
    respawning = false;
}
