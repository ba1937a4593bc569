// The title screen's keys, its race setup menu and the loading of the race: on
// its first frame it schedules the loading task so that "Loading..." is drawn
// first; once the race is built Space enters it and Escape or Q quits. Up and
// Down choose a row of the setup (players, AI karts, laps, AI skill), Left and
// Right change it; Space with a changed setup saves it under [race] in
// config.ini, builds that race and enters it. After attractDelay seconds
// without a key the title races the AI karts alone until a key is pressed.
// When the track cannot be turned into a race the title says so and only
// quitting is left.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/RaceSetup.h"

#include <array>
#include <string>

class Scene;
class Text;

class TitleScreen : public Updateable {
public:
    enum State : int { created = 0, loading = 1, ready = 2, failed = 3 };
    enum Row : int { playersRow = 0, aiRow = 1, lapsRow = 2, skillRow = 3, rowCount = 4 };

    TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText);

    void update(float dt) override;

    // Creates the scene "game", imports the setup's track into it and builds the race.
    void load();
    // Reads the setup from configPath (laps from game.ini by default) and makes
    // the menu's rows and the track line in the title scene.
    void createMenu(const std::string& configPath);
    // Builds an AI-only race in the scene "attract" and shows it.
    void startAttract();

    Text* loadingText = nullptr;
    int state = created;
    Scene* raceScene = nullptr;
    Scene* attractScene = nullptr;
    RaceSetup setup;
    int selectedRow = playersRow;
    float idleTime = 0.0f;

    static constexpr float attractDelay = 30.0f;

private:
    void handleBrightnessKeys() const;
    void handleMenuKeys();
    void change(int row, int by);
    void showMenu();
    void enterRace();
    void setMessage(const std::string& message);

    std::string configPath;
    std::string recordsPath;
    std::array<Text*, rowCount> rows{};
    Text* trackLine = nullptr;
    // The setup the built race was made from, and the one read from the file.
    RaceSetup loadedSetup;
    RaceSetup savedSetup;
    bool enterWhenLoaded = false;
    bool refreshOnReturn = false;

    // Set by load(), which runs inside a frame: that frame's keys are ignored.
    bool justLoaded = false;
};
