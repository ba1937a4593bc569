// Race flow: start, countdown, finish and restart.
#include "game/RaceFlow.h"

#include "core/audio/AudioSource.h"
#include "core/physics/PhysicsWorld.h"
#include "core/physics/RigidBodyDynamic.h"
#include "core/platform/Log.h"
#include "core/platform/Memory.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Event.h"
#include "core/runtime/Input.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "core/ui/UITex.h"
#include "game/Car.h"
#include "game/CarAudio.h"
#include "game/Checkpoint.h"
#include "game/LapRecords.h"
#include "game/RaceKeys.h"
#include "game/RaceMessages.h"
#include "game/RaceProgress.h"
#include "game/ResultsTable.h"
#include "game/Spawner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

void RaceFlow::setKarts(const std::vector<Entity*>& all, int players) {
    karts = all;
    humanPlayers = players;
    startPositions.assign(karts.size(), glm::vec3(0.0f));
    startRotations.assign(karts.size(), glm::quat(1, 0, 0, 0));
    finished.assign(karts.size(), false);
    positions.assign(karts.size(), 0);
    order.assign(karts.size(), 0);
    finishOrder.reserve(karts.size());
    for (size_t i = 0; i < karts.size(); ++i) {
        positions[i] = static_cast<int>(i) + 1;
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
    if (results != nullptr) {
        results->hide();
    }
    leavePause();
    stopSource(endMusic);
    playSource(raceMusic);
    std::fill(finished.begin(), finished.end(), false);
    finishOrder.clear();
    raceTime = 0.0f;
    endScheduled = false;
    silenceKarts(false);
    // Whatever an earlier race on this scene knocked over or left in the
    // simulation's caches must not steer this one: a replay starts it fresh.
    if (PhysicsWorld* world = entity->scene != nullptr ? entity->scene->getPhysicsWorld() : nullptr) {
        world->restartSimulation();
    }
    // What the last race and its screens freed sits in the heap between blocks
    // still in use; race after race that crept up by megabytes. The countdown
    // has time to hand it back.
    returnFreedMemory();
    if (!chosenSeed) {
        static std::random_device entropy;
        seed = entropy();
    }
    for (size_t i = 0; i < karts.size(); ++i) {
        if (Car* kart = car(i)) {
            kart->resetForRace();
            kart->controlsEnabled = false;
            kart->seedRandom(kartSeed(i));
        }
        if (Spawner* spawner = karts[i] != nullptr ? karts[i]->getComponent<Spawner>() : nullptr) {
            spawner->cancelRespawn();
        }
        if (RaceProgress* props = raceProps(i)) {
            props->reset();
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
    if (player >= finished.size() || finished[player]) {
        return;
    }
    if (isDuel() && (finished[0] || finished[1])) {
        return;
    }
    finished[player] = true;
    finishOrder.push_back(player);
    updatePositions();
    const int place = static_cast<int>(finishOrder.size());
    const RaceProgress* props = raceProps(player);
    logInfo(karts[player]->name, " finished, position ", place, ", time ",
            formatRaceTime(props != nullptr ? props->finishTime : raceTime));
    if (isDuel()) {
        announceDuel(player);
    } else {
        announcePlace(player, place);
    }
    // The race is over once its players are home; with none, once every kart is.
    size_t waitingFor = 0;
    const size_t counted =
        humanPlayers > 0 && !isDuel() ? static_cast<size_t>(humanPlayers) : finished.size();
    for (size_t i = 0; i < counted && i < finished.size(); ++i) {
        waitingFor += finished[i] ? 0 : 1;
    }
    if ((isDuel() || waitingFor == 0) && !endScheduled) {
        endScheduled = true;
        const unsigned race = raceNumber;
        invoke(
            [this, race] {
                if (race == raceNumber) {
                    endRace();
                }
            },
            endScreenDelay);
    }
}

void RaceFlow::announceDuel(unsigned player) {
    if (RaceMessages* utils = messages()) {
        const int winner = static_cast<int>(player);
        utils->showMessage("You win!", winner, false, winColour, 0.0f);
        utils->showMessage("You loose!", 1 - winner, true, loseColour, 0.0f);
    }
}

void RaceFlow::announcePlace(unsigned player, int place) {
    RaceMessages* utils = messages();
    if (utils == nullptr || static_cast<int>(player) >= humanPlayers) {
        return;
    }
    const std::string text = ordinal(place) + " / " + std::to_string(karts.size());
    utils->showMessage(text, static_cast<int>(player), true, place == 1 ? winColour : loseColour, 0.0f);
}

void RaceFlow::saveRecords() const {
    if (recordsPath.empty() || track.empty()) {
        return;
    }
    const LapRecords records(recordsPath);
    for (size_t kart = 0; kart < karts.size() && static_cast<int>(kart) < humanPlayers; ++kart) {
        if (const RaceProgress* props = raceProps(kart); props != nullptr && props->bestLap > 0.0f) {
            if (records.offer(track, props->bestLap)) {
                logInfo(karts[kart]->name, " set the best lap of ", track, ": ",
                        formatRaceTime(props->bestLap));
            }
        }
    }
}

void RaceFlow::endRace() {
    setControls(false);
    silenceKarts(true);
    updatePositions();
    state = raceOver;
    if (results != nullptr) {
        results->show(*this);
    }
    saveRecords();
    if (endScreen != nullptr && !endScreen->isEnabled()) {
        endScreen->setEnabled(true);
    }
    stopSource(raceMusic);
    playSource(endMusic);
    playSource(winSound);
    fire(onOver);
}

void RaceFlow::fixedUpdate(float dt) {
    Updateable::fixedUpdate(dt);
    if (state == racing) {
        raceTime += dt;
    }
}

float RaceFlow::progressScore(size_t kart) const {
    const RaceProgress* props = raceProps(kart);
    if (props == nullptr || props->lastCheckpoint == nullptr || checkpoints.empty()) {
        return -1.0f;
    }
    const size_t count = checkpoints.size();
    const int passed = props->lastCheckpoint->index;
    float score = static_cast<float>(props->lap * static_cast<int>(count) + passed);
    const Checkpoint* next = checkpoints[static_cast<size_t>(passed + 1) % count];
    auto* nextAt = next->entity != nullptr ? next->entity->getComponent<Transform>() : nullptr;
    auto* kartAt = karts[kart]->getComponent<Transform>();
    if (nextAt != nullptr && kartAt != nullptr) {
        // Nearer the next checkpoint ranks higher among karts past the same one.
        score -=
            std::min(glm::distance(nextAt->getWorldPosition(), kartAt->getWorldPosition()), 999.0f) / 1000.0f;
    }
    return score;
}

void RaceFlow::updatePositions() {
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<unsigned>(i);
    }
    // Finishers first in finish order, then by progress; ties keep grid order. An
    // insertion sort of at most eight karts, which allocates nothing.
    const auto ahead = [this](unsigned a, unsigned b) {
        const auto finishA = std::find(finishOrder.begin(), finishOrder.end(), a);
        const auto finishB = std::find(finishOrder.begin(), finishOrder.end(), b);
        if (finishA != finishOrder.end() || finishB != finishOrder.end()) {
            return finishA < finishB;
        }
        return progressScore(a) > progressScore(b);
    };
    for (size_t i = 1; i < order.size(); ++i) {
        for (size_t j = i; j > 0 && ahead(order[j], order[j - 1]); --j) {
            std::swap(order[j], order[j - 1]);
        }
    }
    for (size_t place = 0; place < order.size(); ++place) {
        positions[order[place]] = static_cast<int>(place) + 1;
    }
}

void RaceFlow::update(float dt) {
    Updateable::update(dt);
    if (state != raceOver) {
        updatePositions();
        return;
    }
    auto* input = systems->get<Input>();
    if (input != nullptr && input->getKey(key::space) == KeyState::Pressed) {
        startRace();
    }
}

std::string formatRaceTime(float seconds) {
    const long hundredths = std::lround(std::max(seconds, 0.0f) * 100.0f);
    const long minutes = hundredths / 6000;
    const long rest = hundredths % 6000;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%02ld", minutes, rest / 100, rest % 100);
    return text;
}

std::string ordinal(int place) {
    const int lastTwo = place % 100;
    const int last = place % 10;
    const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                         : last == 1                      ? "st"
                         : last == 2                      ? "nd"
                         : last == 3                      ? "rd"
                                                          : "th";
    return std::to_string(place) + suffix;
}
