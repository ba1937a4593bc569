// Settings and assets lookup for the installed and the built game.
#include "game/GameFiles.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Log.h"
#include "core/platform/UserPaths.h"

#include <filesystem>

namespace fs = std::filesystem;

const char* const defaultConfigText =
    R"(; Torquewind start-up settings. A config.ini in the folder the game is started
; from is read instead of this one.
[window]
width=1280
height=800
title=Torquewind
fullscreen=false
refreshRate=60

[dir]
; Where the track, textures, sounds and shaders are. Unset: the folder
; installed with the game.
;assets=/usr/share/games/torquewind/
)";

std::string findConfigFile(const UserPaths& paths) {
    const std::string local = "config.ini";
    if (isRegularFile(local)) {
        return local;
    }
    const std::string own = paths.configFile("config.ini");
    if (own.empty()) {
        return local;
    }
    if (!fs::exists(own)) {
        if (!writeFileAtomically(own, defaultConfigText)) {
            return local;
        }
        logInfo("Created ", own, " with the default settings");
    }
    return own;
}

std::string findAssetsDir(const std::string& exeDir) {
    if (!exeDir.empty()) {
        for (const char* relative : {"../share/games/torquewind/", "../assets/"}) {
            const fs::path candidate = fs::path(exeDir) / relative;
            std::error_code error;
            if (fs::is_directory(candidate, error)) {
                return candidate.lexically_normal().string();
            }
        }
    }
    return "../assets/";
}
