// The small assets that need no synthesis: the game's font, copied from a Debian
// font package with its licence beside it, and the race settings "game.ini".
#pragma once

#include <string>

class BasicAssets {
public:
    static void writeFont(const std::string& outDir);
    static void writeConfig(const std::string& outDir);
};
