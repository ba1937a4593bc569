// One player's driving keys, as Input names them.
#pragma once

struct PlayerKeys {
    int accelerate;
    int reverse;
    int steerLeft;
    int steerRight;
    int boost;
    int hop;
    int respawn;

    // Player 0: W/S/A/D and E; player 1: the arrows and Right Control; both hop
    // with Space and put both karts back with R.
    static PlayerKeys defaults(int player);
};
