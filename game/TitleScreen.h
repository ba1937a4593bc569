// The title screen's keys, its race setup menu and the loading of the race: on
// its first frame it schedules the loading task so that "Loading..." is drawn
// first; once the race is built Space (a pad's A or Start) enters it and Escape
// or Q (a pad's Back) quits. Up and Down (or a pad's d-pad) choose a row of the
// setup (players, AI karts, laps, AI skill and, with more than one track in the
// catalog, the track), Left and Right change it. A new track is saved to the
// config file at once and loaded in its turn; Space with another changed setup
// saves it under [race] in config.ini, builds that race and enters it. After
// attractDelay seconds without a key the title races the AI karts alone until a
// key is pressed. When the track cannot be turned into a race the title says so
// and only quitting is left. A change of brightness shows its new level for a
// moment.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/ControlsConfig.h"
#include "game/RaceSetup.h"
#include "game/TrackCatalog.h"

#include <array>
#include <string>

class AudioSource;
class RaceFlow;
class Scene;
class Text;
class UITex;

class TitleScreen : public Updateable {
public:
    enum State : int { created = 0, loading = 1, ready = 2, failed = 3 };
    enum Row : int { playersRow = 0, aiRow = 1, lapsRow = 2, skillRow = 3, trackRow = 4, rowCount = 5 };

    TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText);

    void update(float dt) override;
    // The title picture and the track's preview are in memory only while the title shows.
    void onSceneActive(bool active) override;

    // Creates the scene "game", imports the setup's track into it and builds the race.
    void load();
    // Reads the setup from configPath (laps from game.ini by default), finds the
    // tracks in the assets folder and makes the menu's rows, the track's name,
    // preview and best lap in the title scene.
    void createMenu(const std::string& configPath);
    // Builds an AI-only race in the scene "attract" and shows it.
    void startAttract();

    // The file of the chosen track, relative to the assets folder.
    const std::string& trackFile() const { return setup.track; }

    Text* loadingText = nullptr;
    // Where a new brightness level shows; may be null.
    Text* brightnessText = nullptr;
    int state = created;
    Scene* raceScene = nullptr;
    RaceFlow* race = nullptr;
    ControlsConfig controls;
    // The title's music, given its sound and started when the loading begins; may be null.
    AudioSource* music = nullptr;

    TrackCatalog catalog;
    Text* trackText = nullptr;
    // The chosen track's best lap, under its name; may be null.
    Text* trackBestText = nullptr;
    UITex* trackPreview = nullptr;
    // The full-window title picture; may be null.
    UITex* titlePicture = nullptr;
    // The title's AI-only race ("attract" scene) and the track it was built on.
    RaceFlow* attractRace = nullptr;
    std::string attractTrack;
    RaceSetup setup;
    int selectedRow = playersRow;
    float idleTime = 0.0f;

    static constexpr float attractDelay = 30.0f;

private:
    void changeTrack(int step);
    void handleBrightnessKeys() const;
    void handleMenuKeys();
    // The setup rows and, with a choice of tracks, the track row.
    int selectableRows() const;
    void change(int row, int by);
    void showMenu();
    void showBrightness();
    void enterRace();
    void setMessage(const std::string& message);

    std::string configPath;
    std::string recordsPath;
    std::array<Text*, trackRow> rows{};
    // The setup the built race was made from, and the one read from the file.
    RaceSetup loadedSetup;
    RaceSetup savedSetup;
    bool enterWhenLoaded = false;
    bool refreshOnReturn = false;

    // Set by load(), which runs inside a frame: that frame's keys are ignored.
    bool justLoaded = false;
    // The level last shown (negative before the first frame) and which showing
    // a clearing belongs to.
    float shownBrightness = -1.0f;
    unsigned brightnessShowing = 0;
};
