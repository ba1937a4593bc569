// Entry point: one Game, run until the player quits.
#include "game/Game.h"

int main() {
    App* game = new Game();
    const int status = game->run();
    delete game;
    return status;
}
