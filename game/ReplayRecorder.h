// Records every race of its scene: from the race's start it copies the controls
// each kart took in every fixed step, and when the race is over it saves them
// with the setup and seed as a replay (the last keptReplays are kept) and offers
// "R: watch the replay" on the end screen (a pad's Y does the same). A race
// without players (the title's attract mode) is not saved.
// It must be added after the karts' Cars: a step walks the components in the
// order they were made, and the recorder reads what the Cars took in that step.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/ReplayFile.h"

#include <string>
#include <vector>

class Car;
class RaceFlow;
class Text;

class ReplayRecorder : public Updateable {
public:
    ReplayRecorder(SystemRegistry* systems, Entity* entity);

    // Listens to race's starts and ends; the karts are the race's, in its order,
    // its players first. setup gives the track and the AI's skill.
    void record(RaceFlow& race, const RaceSetup& setup);

    void fixedUpdate(float dt) override;
    void update(float dt) override;

    // The race recorded last (being recorded while one runs).
    const ReplayFile& recording() const { return file; }
    bool hasFinishedRace() const { return finished; }

    // Whether finished races are saved (not the race of a replay being watched),
    // and where: empty means the player's replays folder (ReplayFile::folder()).
    bool saves = true;
    std::string folder;
    // The file the last finished race went to; empty when it was not saved.
    std::string savedPath;
    // "R: watch the replay", shown on the end screen once there is one; may be null.
    Text* hint = nullptr;

    static constexpr const char* hintText = "R: watch the replay";

private:
    void onStarted();
    void onOver();

    RaceFlow* race = nullptr;
    RaceSetup setup;
    std::vector<Car*> cars;
    std::vector<KartControls> stepScratch;
    ReplayFile file;
    unsigned racesStarted = 0;
    bool recordingNow = false;
    bool finished = false;
};
