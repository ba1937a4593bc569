// The title screen's keys and the loading of the race: on its first frame it
// schedules the loading task so that "Loading..." is drawn first; once the race
// is built Space (a pad's A or Start) enters it and Escape or Q (a pad's Back)
// quits. When the track cannot be turned into a race the title says so and
// only quitting is left.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/ControlsConfig.h"

#include <string>

class RaceFlow;
class Scene;
class Text;

class TitleScreen : public Updateable {
public:
    enum State : int { created = 0, loading = 1, ready = 2, failed = 3 };

    TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText);

    void update(float dt) override;

    // Creates the scene "game", imports the track into it and builds the race.
    void load();

    Text* loadingText = nullptr;
    int state = created;
    Scene* raceScene = nullptr;
    RaceFlow* race = nullptr;
    ControlsConfig controls;

private:
    void handleBrightnessKeys() const;
    void enterRace();
    void setMessage(const std::string& message);

    // Set by load(), which runs inside a frame: that frame's keys are ignored.
    bool justLoaded = false;
};
