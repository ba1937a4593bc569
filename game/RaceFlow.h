// One race, on the entity "gameplay": puts both karts on their start poses,
// counts down 3, 2, 1, "Go!", lets them drive, tells the first kart home
// "You win!" and the other "You loose!", stops them and shows the end screen,
// from where Space starts the next race.
#pragma once

#include "core/runtime/Event.h"
#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <array>
#include <cstdint>
#include <vector>

class AudioSource;
class Car;
class Checkpoint;
class Entity;
class RaceKeys;
class RaceProgress;
class RaceMessages;
class UITex;

class RaceFlow : public Updateable {
public:
    enum State : int { starting = 0, countingDown = 1, racing = 2, raceOver = 3 };

    RaceFlow(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // Takes both karts, remembers their current poses as their start poses and
    // listens for them finishing.
    void setKarts(Entity* player1, Entity* player2);
    // Hands the kart's components this race: its RaceProgress and Spawner answer
    // to it, its Car shows its messages here.
    void connectKart(Entity& kart);

    void startRace();
    // The messages shown over the race, on this entity.
    RaceMessages* messages() const;
    // A kart has driven its laps; only the first one to do so counts.
    void onFinished(unsigned player);

    // Player 1's kart first.
    std::vector<Entity*> karts;
    // In ascending checkpoint number; a kart must pass them in this order.
    std::vector<Checkpoint*> checkpoints;
    unsigned numLaps = defaultNumLaps;
    AudioSource* countSound = nullptr;
    AudioSource* goSound = nullptr;
    int state = starting;
    std::array<glm::vec3, 2> startPositions{};
    std::array<glm::quat, 2> startRotations{glm::quat(1, 0, 0, 0), glm::quat(1, 0, 0, 0)};
    int countdown = 0;
    std::array<bool, 2> finished{};

    // The "race again / title screen" strip shown once a race is over.
    UITex* endScreen = nullptr;
    AudioSource* winSound = nullptr;
    // The pause screen a restart leaves; handed over when the race is built.
    RaceKeys* raceKeys = nullptr;
    // Fired by startRace once the karts are stopped, before the first step of the
    // new race, and by the race's end.
    Event<> onStarted;
    Event<> onOver;
    // Everything random in a race (the hops' spins) comes from this seed: each
    // kart is seeded from it when the race starts. A new one is drawn for every
    // race unless chosenSeed is set (a replay sets the recorded one).
    uint32_t seed = 0;
    bool chosenSeed = false;
    // The seed kart number index of the race gets.
    uint32_t kartSeed(size_t index) const;
    // Music of the race and of its end; either may be missing.
    AudioSource* raceMusic = nullptr;
    AudioSource* endMusic = nullptr;

    static constexpr unsigned defaultNumLaps = 3;
    static constexpr float placeDelay = 0.1f;
    static constexpr float countdownDelay = 2.0f;
    static constexpr float tickInterval = 1.0f;
    static constexpr float endScreenDelay = 1.5f;

private:
    void countdownTick();
    void endRace();
    void setControls(bool enabled) const;
    // The karts' engines fall silent on the end screen and start with the next race.
    void silenceKarts(bool silenced) const;
    void placeKart(size_t player) const;
    Car* car(size_t player) const;
    RaceProgress* raceProps(size_t player) const;
    // Closes the pause screen a race may have been restarted from.
    void leavePause() const;

    // Delayed steps of an earlier race must not act on the current one.
    unsigned raceNumber = 0;
};
