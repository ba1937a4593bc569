// Where the game finds its files however it was started: from the build folder
// (config.ini in the working directory, assets at ../assets/) or installed
// (the player's config.ini under the XDG config folder, the assets installed
// beside the executable). main() asks once, before the engine starts.
#pragma once

#include <string>

class UserPaths;

// What a new player's config.ini holds: the window settings the game starts
// with anyway, and the assets line commented out so that the installed ones are used.
extern const char* const defaultConfigText;

// "config.ini" when the working directory has one, so a build folder works as it
// always did; else the player's own file, written with defaultConfigText the first
// time. When that cannot be written the game still starts, on its defaults.
std::string findConfigFile(const UserPaths& paths);

// The assets folder for a game whose executable lies in exeDir: the Debian games
// layout (../share/games/torquewind/), then the build tree's ../assets/; failing
// both, "../assets/" from the working directory, as before.
std::string findAssetsDir(const std::string& exeDir);
