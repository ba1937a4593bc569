// The default keys of each player.
#include "game/PlayerKeys.h"

#include "core/runtime/Keys.h"

PlayerKeys PlayerKeys::defaults(int player) {
    if (player == 0) {
        return {key::w, key::s, key::a, key::d, key::e, key::space, key::r};
    }
    return {key::up, key::down, key::left, key::right, key::rightControl, key::space, key::r};
}
