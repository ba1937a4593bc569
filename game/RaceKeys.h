// The race scene's keys and pad buttons for everything but driving: pause with
// the help picture, back to the title, restart from the pause screen (and, for
// a pad, from the end screen), and the developer keys: the statistics overlay,
// renderer and UI switches with a short status message, brightness (its new
// level shown the same way), and the switch to the free-flying debug camera.
#pragma once

#include "core/runtime/Updateable.h"

#include <string>
#include <vector>

class Entity;
class HelpKeys;
class Input;
class RaceFlow;
class Text;

class RaceKeys : public Updateable {
public:
    RaceKeys(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    // The statistics texts (hidden) and the status text, in the font "default"
    // at 0.035 of the window's height, each on an entity of its own.
    void createOverlay();

    // Shows or hides the help picture and stops or restarts the scene's time.
    void setPaused(bool value);
    // Replaces the status text; it is cleared statusDuration seconds later
    // unless a newer message has replaced it by then.
    void showStatus(const std::string& message);
    void refreshStatistics();
    // Between the debug camera and the players' cameras; the karts cannot be
    // driven while the debug camera flies.
    void switchCamera();
    void backToTitle();
    // The status shown when the brightness changes: "Brightness 110%".
    static std::string brightnessLabel(float brightness);

    // Handed over when the race is built.
    RaceFlow* race = nullptr;
    Entity* freeCamera = nullptr;
    // Player 1's first; the free camera takes off from the first one's view.
    std::vector<Entity*> playerCameras;
    // Its picture (a UITex) is in memory only while it shows.
    Entity* helpScreen = nullptr;
    // The rebound keys over the help picture; may be missing.
    HelpKeys* helpKeys = nullptr;
    Text* fpsText = nullptr;
    Text* drawCallsText = nullptr;
    Text* culledText = nullptr;
    Text* statusText = nullptr;
    bool paused = false;
    float statsTimer = 0.0f;

    static constexpr float statsInterval = 1.0f;
    static constexpr float statusDuration = 2.0f;
    static constexpr float textHeight = 0.035f;
    static constexpr float brightnessStep = 0.1f;

private:
    void handleDeveloperKeys();
    void handleRaceKeys();
    void toggleStatistics();
    void restartRace();
    void setControls(bool enabled) const;
    bool pressed(int key) const;
    bool padPressed(int button) const;

    Input* input = nullptr;
    // Tells a status message's clearing whether its message still shows.
    unsigned statusNumber = 0;
    // The level the player was last shown; negative before the first frame.
    float shownBrightness = -1.0f;
};
