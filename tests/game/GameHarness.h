// Runs the real Game for whole-game tests: in a scratch folder with its own
// config.ini (a small window) and an assets folder that links to the generated
// assets, except for the files a test replaces or removes; with a driven clock
// and a script called at the end of every frame.
#pragma once

#include "game/Game.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

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
    using Script = std::function<void(ScriptedGame&)>;

    ScriptedGame(const std::filesystem::path& configPath, Script script);

    void init() override;

    // Called at the end of every frame, after the scene update and before drawing.
    Script script;
    // Set by the script: the frame being drawn is saved there as a PNG before it
    // is shown.
    std::string screenshotPath;
    bool screenshotSaved = false;
    // The driven millisecond clock and the length of the next frames.
    uint32_t clockMs = 100000;
    uint32_t frameMs = 16;
    uint32_t frames = 0;

private:
    struct Hook {
        ScriptedGame* game;
        void onFrame(float dt);
        void beforeSwap();
    };
    Hook hook{this};
};
