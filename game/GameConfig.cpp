// Reading "game.ini".
#include "game/GameConfig.h"

#include "core/platform/Log.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/ConfigFile.h"
#include "core/runtime/SystemRegistry.h"

GameConfig readGameConfig(SystemRegistry* systems) {
    GameConfig config;
    const ResourceLoader* loader = systems->get<ResourceLoader>();
    const std::string path = loader != nullptr ? loader->resolve("game.ini") : "game.ini";
    const ConfigFile file(path.empty() ? "game.ini" : path);
    if (file.ParseError() != 0) {
        logWarning("Failed to load game config");
        if (file.missing()) {
            return config;
        }
    }
    // Lines that did parse still count: a typo further down costs only that line.
    const long laps = file.GetInteger("game", "numLaps", static_cast<long>(config.numLaps));
    if (laps < 1) {
        logWarning("game.ini: numLaps must be at least 1, not ", laps, "; using ", config.numLaps);
        return config;
    }
    if (laps > maxNumLaps) {
        logWarning("game.ini: numLaps must be at most ", maxNumLaps, ", not ",
                   file.Get("game", "numLaps", ""), "; using ", maxNumLaps);
        config.numLaps = maxNumLaps;
        return config;
    }
    config.numLaps = static_cast<unsigned>(laps);
    return config;
}
