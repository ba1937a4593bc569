// Start-up of the game.
#include "game/Game.h"

#include "core/platform/Log.h"
#include "core/render/Renderer.h"
#include "core/runtime/Engine.h"
#include "core/runtime/SceneManager.h"
#include "game/GameAssets.h"
#include "game/MenuScene.h"
#include "game/MissingAssetsScreen.h"
#include "game/ReplayPlayback.h"

#include <filesystem>

void Game::configure() {
    config.title = "Torquewind";
    config.firstFramePictures = {titlePicturePath};
}

void Game::init() {
    std::error_code error;
    if (!std::filesystem::is_directory(config.assetsDir, error)) {
        // Nothing of the game can load; say so on screen rather than show a black window.
        logError("Assets folder not found: ", config.assetsDir);
        loadDefaultFont(systems.get());
        MissingAssetsScreen::build(*systems->get<SceneManager>()->createScene("missingAssets"),
                                   config.assetsDir);
        return;
    }
    if (auto* renderer = systems->get<Renderer>()) {
        renderer->renderScaleOverride = engine->config.renderScale;
        renderer->applyQualitySetting(engine->config.quality);
    }
    // Only what the title's first frame shows: the race's resources load behind "Loading...".
    loadDefaultFont(systems.get());
    Scene* menu = systems->get<SceneManager>()->createScene("menu");
    buildMenuScene(*menu, configFile, ControlsConfig::read(configFile));
    if (!replayFile.empty()) {
        startReplayFile(systems.get(), replayFile);
    }
}
