// Race flow: start, countdown, finish and restart.
#include "game/RaceFlow.h"

#include "core/audio/AudioSource.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/CarAudio.h"
#include "game/RaceKeys.h"
#include "game/RaceMessages.h"
#include "game/RaceProgress.h"
#include "game/Spawner.h"

#include <random>
#include <string>

namespace {

const glm::vec4 countdownColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 goColour{0.9f, 1.0f, 0.0f, 1.0f};
const glm::vec3 winColour{0.9f, 1.0f, 0.0f};
const glm::vec3 loseColour{1.0f, 1.0f, 1.0f};

void stopSource(AudioSource* source) {
    if (source != nullptr && source->state != AudioSource::stopped) {
        source->channel.stop();
        source->state = AudioSource::stopped;
    }
}

void playSource(AudioSource* source) {
    if (source != nullptr) {
        source->play();
    }
}

} // namespace

RaceFlow::RaceFlow(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {}

void RaceFlow::setKarts(Entity* player1, Entity* player2) {
    karts = {player1, player2};
    for (size_t i = 0; i < karts.size() && i < startPositions.size(); ++i) {
        if (karts[i] == nullptr) {
            continue;
        }
        if (const auto* body = karts[i]->getComponent<RigidBodyDynamic>()) {
            startPositions[i] = body->getGlobalPosition();
            startRotations[i] = body->getGlobalRotation();
        }
        if (RaceProgress* props = raceProps(i)) {
            subscribe(props->onFinished, this, &RaceFlow::onFinished);
        }
        connectKart(*karts[i]);
    }
}

void RaceFlow::connectKart(Entity& kart) {
    if (auto* props = kart.getComponent<RaceProgress>()) {
        props->race = this;
    }
    if (auto* spawner = kart.getComponent<Spawner>()) {
        spawner->race = this;
    }
    if (auto* car = kart.getComponent<Car>()) {
        car->messages = messages();
    }
}

Car* RaceFlow::car(size_t player) const {
    return player < karts.size() && karts[player] != nullptr ? karts[player]->getComponent<Car>() : nullptr;
}

RaceProgress* RaceFlow::raceProps(size_t player) const {
    return player < karts.size() && karts[player] != nullptr ? karts[player]->getComponent<RaceProgress>()
                                                             : nullptr;
}

RaceMessages* RaceFlow::messages() const {
    return entity->getComponent<RaceMessages>();
}

void RaceFlow::silenceKarts(bool silenced) const {
    for (Entity* kart : karts) {
        if (CarAudio* sounds = kart != nullptr ? kart->getComponent<CarAudio>() : nullptr) {
            sounds->setSilenced(silenced);
        }
    }
}

void RaceFlow::setControls(bool enabled) const {
    for (size_t i = 0; i < karts.size(); ++i) {
        if (Car* kart = car(i)) {
            kart->controlsEnabled = enabled;
        }
    }
}

void RaceFlow::placeKart(size_t player) const {
    if (player >= karts.size() || player >= startPositions.size() || karts[player] == nullptr) {
        return;
    }
    if (auto* body = karts[player]->getComponent<RigidBodyDynamic>()) {
        body->teleport(startPositions[player], startRotations[player]);
    }
}

void RaceFlow::leavePause() const {
    if (raceKeys != nullptr) {
        raceKeys->setPaused(false);
    } else {
        entity->scene->timeScale = 1.0f;
    }
}

void RaceFlow::startRace() {
    raceNumber += 1;
    const unsigned race = raceNumber;
    state = starting;
    if (RaceMessages* utils = messages()) {
        utils->clear();
    }
    if (endScreen != nullptr) {
        endScreen->setEnabled(false);
    }
    leavePause();
    stopSource(endMusic);
    playSource(raceMusic);
    finished = {false, false};
    silenceKarts(false);
    if (!chosenSeed) {
        static std::random_device entropy;
        seed = entropy();
    }
    for (size_t i = 0; i < karts.size(); ++i) {
        if (Car* kart = car(i)) {
            kart->stop();
            kart->controlsEnabled = false;
            kart->seedRandom(kartSeed(i));
        }
        if (Spawner* spawner = karts[i] != nullptr ? karts[i]->getComponent<Spawner>() : nullptr) {
            spawner->cancelRespawn();
        }
        if (RaceProgress* props = raceProps(i)) {
            props->lastCheckpoint = nullptr;
            props->lap = 0;
        }
        invoke(
            [this, i, race] {
                if (race == raceNumber) {
                    placeKart(i);
                }
            },
            placeDelay);
    }
    invoke(
        [this, race] {
            if (race == raceNumber && state == starting) {
                state = countingDown;
                countdown = 4;
                countdownTick();
            }
        },
        countdownDelay);
    // The later ticks are scheduled now rather than each from the one before:
    // a timer counts from the step after it was made, so a chain would drift.
    for (int tick = 1; tick <= 3; ++tick) {
        invoke(
            [this, race] {
                if (race == raceNumber) {
                    countdownTick();
                }
            },
            countdownDelay + static_cast<float>(tick) * tickInterval);
    }
    fire(onStarted);
}

uint32_t RaceFlow::kartSeed(size_t index) const {
    // Apart by a large odd step, so that no two karts' generators run in step.
    return seed + static_cast<uint32_t>(index) * 0x9e3779b9u;
}

void RaceFlow::countdownTick() {
    if (state != countingDown) {
        return;
    }
    countdown -= 1;
    RaceMessages* utils = messages();
    if (countdown != 0) {
        playSource(countSound);
        if (utils != nullptr) {
            utils->showCenterMessage(std::to_string(countdown), countdownColour, false);
        }
        return;
    }
    setControls(true);
    state = racing;
    playSource(goSound);
    if (utils != nullptr) {
        utils->showCenterMessage("Go!", goColour, true);
    }
}

void RaceFlow::onFinished(unsigned player) {
    if (player >= finished.size() || finished[0] || finished[1]) {
        return;
    }
    finished[player] = true;
    if (RaceMessages* utils = messages()) {
        const int winner = static_cast<int>(player);
        utils->showMessage("You win!", winner, false, winColour, 0.0f);
        utils->showMessage("You loose!", 1 - winner, true, loseColour, 0.0f);
    }
    const unsigned race = raceNumber;
    invoke(
        [this, race] {
            if (race == raceNumber) {
                endRace();
            }
        },
        endScreenDelay);
}

void RaceFlow::endRace() {
    setControls(false);
    silenceKarts(true);
    state = raceOver;
    if (endScreen != nullptr && !endScreen->isEnabled()) {
        endScreen->setEnabled(true);
    }
    stopSource(raceMusic);
    playSource(endMusic);
    playSource(winSound);
    fire(onOver);
}

void RaceFlow::update(float dt) {
    Updateable::update(dt);
    if (state != raceOver) {
        return;
    }
    auto* input = systems->get<Input>();
    if (input != nullptr && input->getKey(key::space) == KeyState::Pressed) {
        startRace();
    }
}
