// The default keys of each player.
#include "game/PlayerKeys.h"

#include "core/runtime/Keys.h"

PlayerKeys PlayerKeys::defaults(int player) {
    if (player == 0) {
        return {key::w, key::s, key::a, key::d, key::e, key::space, key::r};
    }
    if (player == 2) {
        return {key::fromName("I"),
                key::fromName("K"),
                key::fromName("J"),
                key::fromName("L"),
                key::fromName("O"),
                key::space,
                key::r};
    }
    if (player == 3) {
        return {key::fromName("KP8"),
                key::fromName("KP5"),
                key::fromName("KP4"),
                key::fromName("KP6"),
                key::fromName("KP9"),
                key::space,
                key::r};
    }
    return {key::up, key::down, key::left, key::right, key::rightControl, key::space, key::r};
}
