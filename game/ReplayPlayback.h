// Watching a replay: the race is built again on the recorded track with every
// kart driven by its ReplayDriver, and one camera over the whole window follows
// any kart. Keys 1-8 pick the kart, Left and Right go to the previous and next;
// Space or P pauses; Up and Down change the speed from x0.25 to x4 (the engine
// feeds its fixed steps faster or slower; each step stays 1/60 s). A line at
// the top says "Replay  x1  P1". The end of the recording or Escape returns to
// the title. A pad: d-pad left and right pick the kart, A pauses, the bumpers
// change the speed, Back leaves.
#pragma once

#include "core/runtime/Updateable.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class FollowCamera;
class RaceFlow;
class ReplayDriver;
class ReplayFile;
class Text;

class ReplayPlayback : public Updateable {
public:
    ReplayPlayback(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // Follows kart index of the race (wrapping round).
    void watchKart(int index);
    // The speed's place in speeds, clamped.
    void setSpeed(int index);
    void setPaused(bool value);
    // Back to the title scene, at normal speed.
    void leave();

    int watchedKart() const { return kart; }
    float speed() const { return speeds[static_cast<size_t>(speedIndex)]; }
    bool isPaused() const { return paused; }

    RaceFlow* race = nullptr;
    std::vector<ReplayDriver*> drivers;
    FollowCamera* camera = nullptr;
    Text* line = nullptr;

    static constexpr std::array<float, 5> speeds{0.25f, 0.5f, 1.0f, 2.0f, 4.0f};
    static constexpr int normalSpeed = 2;

private:
    bool finished() const;
    void showLine();

    int kart = 0;
    int speedIndex = normalSpeed;
    bool paused = false;
    bool left = false;
};

// Builds the replay scene for file and switches to it, the race started. False,
// with one log line, when the file's track or karts cannot be raced; the title
// is then shown.
bool startReplay(SystemRegistry* systems, const ReplayFile& file);
// Reads a replay file and starts it; a broken file gives one log line and the title.
bool startReplayFile(SystemRegistry* systems, const std::string& path);
