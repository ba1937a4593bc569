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

    // Player 0: W/S/A/D and E; player 1: the arrows and Right Control; player 2:
    // I/K/J/L and O; player 3: keypad 8/5/4/6 and 9. All hop with Space and put
    // their karts back with R.
    static PlayerKeys defaults(int player);
};
