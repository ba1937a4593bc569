// One race, on the entity "gameplay": puts the karts on their start poses,
// counts down 3, 2, 1, "Go!", lets them drive and keeps the race clock and the
// order. In the two-player race the first kart home is told "You win!" and the
// other "You loose!"; any other race tells each player their place and ends once
// every player (with no players, every kart) is home. Then the karts stop and
// the end screen shows, from where Space starts the next race. Every finish logs
// "<name> finished, position <n>, time <m:ss.cc>".
#pragma once

#include "core/runtime/Event.h"
#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class AudioSource;
class Car;
class Checkpoint;
class Entity;
class RaceKeys;
class RaceProgress;
class RaceMessages;
class ResultsTable;
class UITex;

class RaceFlow : public Updateable {
public:
    enum State : int { starting = 0, countingDown = 1, racing = 2, raceOver = 3 };

    RaceFlow(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;
    void fixedUpdate(float dt) override;

    // Takes the karts, remembers their current poses as their start poses and
    // listens for them finishing. The first `players` karts are the players'.
    void setKarts(const std::vector<Entity*>& all, int players);
    // The two-player race.
    void setKarts(Entity* player1, Entity* player2) { setKarts({player1, player2}, 2); }
    // Two players and nobody else: the race of "You win!" and "You loose!".
    bool isDuel() const { return karts.size() == 2 && humanPlayers == 2; }
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
    std::vector<glm::vec3> startPositions;
    std::vector<glm::quat> startRotations;
    int countdown = 0;
    // By kart; in the two-player race only the winner's is set.
    std::vector<bool> finished;
    int humanPlayers = 2;
    // Seconds since "Go!", counted in fixed steps; it runs on after the first
    // finish until the race is over.
    float raceTime = 0.0f;
    // Kart indices in the order they finished.
    std::vector<unsigned> finishOrder;
    // 1-based place of each kart now: finishers by finish order, then the rest by
    // laps, checkpoints and the distance to their next checkpoint.
    std::vector<int> positions;

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
    // Shown once the race is over; may be missing.
    ResultsTable* results = nullptr;
    // The track file (relative to the assets) and where its best laps are kept;
    // with no records path the players' best laps are not saved.
    std::string track;
    std::string recordsPath;
    // Music of the race and of its end; either may be missing.
    AudioSource* raceMusic = nullptr;
    AudioSource* endMusic = nullptr;

    static constexpr unsigned defaultNumLaps = 3;
    static constexpr float placeDelay = 0.1f;
    static constexpr float countdownDelay = 2.0f;
    static constexpr float tickInterval = 1.0f;
    static constexpr float endScreenDelay = 1.5f;

private:
    void updatePositions();
    void saveRecords() const;
    float progressScore(size_t kart) const;
    void announceDuel(unsigned player);
    void announcePlace(unsigned player, int place);
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
    bool endScheduled = false;
    std::vector<unsigned> order;
};

// "1:02.35": minutes, seconds and hundredths.
std::string formatRaceTime(float seconds);
// "1st", "2nd", "3rd", "4th", ...
std::string ordinal(int place);
