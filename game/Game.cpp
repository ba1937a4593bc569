// Start-up of the game.
#include "game/Game.h"

#include "core/render/Renderer.h"
#include "core/runtime/Engine.h"
#include "core/runtime/SceneManager.h"
#include "game/GameAssets.h"
#include "game/MenuScene.h"

void Game::configure() {
    config.title = "Torquewind";
}

void Game::init() {
    if (auto* renderer = systems->get<Renderer>()) {
        renderer->applyQualitySetting(engine->config.quality);
    }
    // Only what the title's first frame shows: the race's resources load behind "Loading...".
    loadDefaultFont(systems.get());
    Scene* menu = systems->get<SceneManager>()->createScene("menu");
    buildMenuScene(*menu, configFile);
}
