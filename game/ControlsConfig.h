// The players' keys from the [controls] section of config.ini:
//   [controls]
//   p1.accelerate = W
//   p2.boost = RightControl
// Controls: p1. to p4. followed by accelerate, reverse, left, right, boost, hop
// or respawn; keys by the names of core/runtime/Keys.h. Anything not named keeps
// its default (PlayerKeys::defaults). A line naming no control, no key, or a key
// another action already has gives one warning naming the file and line, and
// that control keeps its default. Both players may share a key for the same
// action (by default all hop with Space and respawn with R).
#pragma once

#include "game/PlayerKeys.h"

#include <array>
#include <string>

struct ControlsConfig {
    std::array<PlayerKeys, 4> players{PlayerKeys::defaults(0), PlayerKeys::defaults(1),
                                      PlayerKeys::defaults(2), PlayerKeys::defaults(3)};

    // A file that cannot be read gives the defaults without a word: the window
    // settings have already said so.
    static ControlsConfig read(const std::string& path);
};
