// The title screen's keys and the loading of the race: on its first frame it
// schedules the loading task so that "Loading..." is drawn first; once the race
// is built Space (a pad's A or Start) enters it and Escape or Q (a pad's Back)
// quits. When the track cannot be turned into a race the title says so and
// only quitting is left. With more than one track in the catalog, Left and
// Right choose the track (saved to the config file), which is then loaded in
// its turn. A change of brightness shows its new level for a moment.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/ControlsConfig.h"
#include "game/TrackCatalog.h"

#include <string>

class AudioSource;
class RaceFlow;
class Scene;
class Text;
class UITex;

class TitleScreen : public Updateable {
public:
    enum State : int { created = 0, loading = 1, ready = 2, failed = 3 };

    TitleScreen(SystemRegistry* systems, Entity* entity, Text* loadingText);

    void update(float dt) override;

    // Creates the scene "game", imports the track into it and builds the race.
    void load();

    // The file of the chosen track, relative to the assets folder.
    const std::string& trackFile() const { return chosenTrack; }
    // Chooses the track the race loads (shown once showTrack runs).
    void chooseTrack(const std::string& file);
    // Shows the chosen track's name and preview.
    void showTrack();

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
    std::string configPath = "config.ini";
    Text* trackText = nullptr;
    UITex* trackPreview = nullptr;

private:
    void changeTrack(int step);
    void handleBrightnessKeys() const;
    void showBrightness();
    void enterRace();
    void setMessage(const std::string& message);

    std::string chosenTrack = TrackCatalog::defaultTrack;

    // Set by load(), which runs inside a frame: that frame's keys are ignored.
    bool justLoaded = false;
    // The level last shown (negative before the first frame) and which showing
    // a clearing belongs to.
    float shownBrightness = -1.0f;
    unsigned brightnessShowing = 0;
};
