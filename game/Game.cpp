// Start-up of the game.
#include "game/Game.h"

#include "core/runtime/Engine.h"
#include "core/runtime/SceneManager.h"

void Game::configure() { config.title = "Torquewind"; }

void Game::init() {
    auto* sceneManager = systems->get<SceneManager>();
    sceneManager->createScene("menu");
}
