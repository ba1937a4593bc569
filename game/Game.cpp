// Start-up of the game.
#include "game/Game.h"

#include "core/runtime/SceneManager.h"
#include "game/GameAssets.h"
#include "game/MenuScene.h"

void Game::configure() { config.title = "Torquewind"; }

void Game::init() {
    loadDefaultFont(systems.get());
    registerWaterMaterial(systems.get());
    Scene* menu = systems->get<SceneManager>()->createScene("menu");
    buildMenuScene(*menu, configFile);
}
