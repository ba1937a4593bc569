// Entry point: the command line, then one Game run until the player quits.
#include "core/platform/CommandLine.h"
#include "core/platform/ExecutablePath.h"
#include "core/platform/UserPaths.h"
#include "game/Game.h"
#include "game/GameFiles.h"

#include <iostream>
#include <memory>

namespace {

constexpr int usageError = 2;

const char* const usageNotes = R"(
Settings are read from config.ini in the current folder when there is one, else
from $XDG_CONFIG_HOME/torquewind/config.ini (~/.config/torquewind/config.ini),
which is created with the defaults on the first run. Press Space on the title
screen to race, F1 in the game for the controls, Q to quit.
Every race is recorded to $XDG_DATA_HOME/torquewind/replays/ (the last 20 are
kept); R on the end screen watches it again.
)";

} // namespace

int main(int argc, char** argv) {
    bool help = false;
    bool version = false;
    std::string replay;
    CommandLine commandLine("torquewind", "Two-player split-screen kart racing on one keyboard.");
    commandLine.addFlag("--help", "-h", "show this help and exit", &help);
    commandLine.addFlag("--version", "", "show the version and exit", &version);
    commandLine.addOption("--replay", "FILE", "watch a recorded race, then go to the title", &replay);
    if (!commandLine.parse(argc, argv)) {
        std::cerr << "torquewind: " << commandLine.error() << "\n" << commandLine.usage();
        return usageError;
    }
    if (help) {
        std::cout << commandLine.usage() << usageNotes;
        return 0;
    }
    if (version) {
        std::cout << "Torquewind " << TW_VERSION << "\n";
        return 0;
    }

    auto game = std::make_unique<Game>();
    game->configFile = findConfigFile(UserPaths("torquewind"));
    // Before run(): the settings file may still name another folder.
    game->config.assetsDir = findAssetsDir(executableDir());
    game->replayFile = replay;
    return game->run();
}
