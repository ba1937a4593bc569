// Runs the real Game for whole-game tests: in a scratch folder with its own
// config.ini (a small window), its own XDG data folder and an assets folder that links to the generated
// assets, except for the files a test replaces or removes; with a driven clock,
// keys injected through Input and a script of steps run at the end of every frame.
#pragma once

#include "RaceDriver.h"

#include "game/Game.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class Scene;
class Text;

class ScratchGameFolder {
public:
    explicit ScratchGameFolder(const std::string& tag);
    ~ScratchGameFolder();
    ScratchGameFolder(const ScratchGameFolder&) = delete;
    ScratchGameFolder& operator=(const ScratchGameFolder&) = delete;

    // Replaces (or adds) the asset at relative with content.
    void writeAsset(const std::string& relative, const std::string& content);
    void removeAsset(const std::string& relative);
    void writeConfig(int width, int height) const;

    std::filesystem::path configPath() const { return dir / "config.ini"; }

    std::filesystem::path dir;
    std::filesystem::path assets;

private:
    // Turns every linked folder on the way to relative into a real folder of links.
    std::filesystem::path unlinkParents(const std::string& relative);
};

class ScriptedGame : public Game {
public:
    explicit ScriptedGame(const std::filesystem::path& configPath);

    void init() override;

    // Steps run one after the other: each is called once per frame until it
    // returns true, and the next one starts in the same frame. A step that takes
    // longer than timeout seconds fails the test and ends the game.
    void step(const std::string& name, float timeout, std::function<bool()> done);
    // A step that taps keys, then waits until the scene's handler (in the frame of
    // the press) and the main loop's (at the start of the next) have both seen them.
    void tapStep(const std::string& name, std::vector<int> keys);
    // A step that taps key and finishes once the game has quit.
    void quitStep(int key);
    // A step that waits until the title has loaded the race and offers it.
    void titleStep(const std::string& name = "race loads", float timeout = 5.0f);
    bool titleReady() const;
    // Runs the game until the script ends or quits it; true when every step finished.
    bool play();

    // Race drivers for the race scene's first players karts, a lane apart, that
    // hold their keys every frame until stopDriving lets go of them.
    void startDriving(int players = 2);
    void stopDriving();

    float now() const;
    // Seconds since the current step started.
    float stepTime() const { return now() - stepStart; }
    Scene* scene(const std::string& name) const;
    Scene* current() const;
    // The Text of the named entity in scene, or null.
    static Text* text(Scene* scene, const std::string& entityName);

    // Keys reach the game in the next frame; a tapped key is released in the frame after.
    void press(int key);
    void release(int key);
    void tap(int key);
    // The frame being drawn now is saved as a PNG in the build folder's
    // "screenshots", with the players' views drawn.
    void shoot(const std::string& name);

    // Drawing the two 3D views costs far more on the software rasteriser than
    // everything else in a frame, so the race's cameras are on only in frames
    // that are photographed, or while this is set.
    bool drawViews = false;
    // Called every frame before the step.
    std::function<void()> everyFrame;
    // Set before play: the game's sound goes to OpenAL Soft's loopback device,
    // rendered only when the test asks (renderSound), so the mix can be measured.
    bool loopbackSound = false;
    // The next stretch of the loopback mix as interleaved stereo floats.
    const std::vector<float>& renderSound(uint32_t milliseconds);
    // The driven millisecond clock and the length of the next frames.
    uint32_t clockMs = 100000;
    uint32_t frameMs = 16;

private:
    struct Hook {
        ScriptedGame* game;
        void onFrame(float dt);
        void beforeSwap();
    };
    struct Step {
        std::string name;
        float timeout;
        std::function<bool()> done;
    };

    void runSteps();
    void setViews(bool on) const;

    Hook hook{this};
    std::vector<Step> steps;
    size_t currentStep = 0;
    bool stepStarted = false;
    float stepStart = 0.0f;
    bool failed = false;
    std::vector<int> releaseNext;
    std::vector<int> releaseNow;
    std::string screenshotPath;
    std::vector<float> soundBuffer;
    std::vector<RaceDriver> drivers;
};
