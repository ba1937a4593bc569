// Race settings read from "game.ini" in the assets folder.
#pragma once

class SystemRegistry;

struct GameConfig {
    // Laps each kart drives; the first kart past the line after this many wins.
    unsigned numLaps = 3;
};

// More laps than the HUD's two digits would make no race anyone finishes.
constexpr unsigned maxNumLaps = 99;

// Reads "game.ini" below the assets folder. A file that cannot be read or parsed
// logs "Failed to load game config" and leaves the defaults; a lap count below 1
// is refused with a warning, and one above maxNumLaps is clamped with a warning.
GameConfig readGameConfig(SystemRegistry* systems);
