// Who races, how long and how hard: the setup the title screen shows and the race
// scene is built from, kept between runs under [race] in config.ini.
#pragma once

#include <string>

enum class AiSkill { easy = 0, medium = 1, hard = 2 };

struct RaceSetup {
    // 0 races the AI karts alone (the title's attract mode does so too).
    int players = 2;
    int ai = 0;
    unsigned laps = 3;
    AiSkill skill = AiSkill::medium;
    // Relative to the assets folder.
    std::string track = "scenes/Track_01_LM.fbx";
    // Player 1 races the track's kept ghost even with others in the race (a race
    // of one player always does). Only [race] ghost = on sets it.
    bool ghost = false;

    int karts() const { return players + ai; }
    bool operator==(const RaceSetup& other) const {
        return players == other.players && ai == other.ai && laps == other.laps && skill == other.skill &&
               track == other.track && ghost == other.ghost;
    }

    static constexpr int maxPlayers = 4;
    static constexpr int maxAi = 6;
    static constexpr int maxKarts = 8;
    static constexpr unsigned maxLaps = 9;
};

const char* skillName(AiSkill skill);

// The setup of today's race: two players, no AI, laps from game.ini.
RaceSetup defaultRaceSetup(unsigned laps);

// [race] of the ini file at path over defaults. A key whose value is unusable
// gets one warning naming it and keeps the default; a file without [race] (or no
// file at all) gives the defaults silently.
RaceSetup readRaceSetup(const std::string& path, const RaceSetup& defaults);

// Writes setup as [race] into the ini file at path, atomically, keeping every
// other section and line as it was. False, with a warning, when it cannot.
bool writeRaceSetup(const std::string& path, const RaceSetup& setup);
