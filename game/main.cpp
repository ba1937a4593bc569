// Entry point: one Game, run until the player quits.
#include "game/Game.h"

int main() {
    App* game = new Game();
    game->run();
    delete game;
    return 0;
}
