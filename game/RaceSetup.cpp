// Reading and writing [race] of config.ini.
#include "game/RaceSetup.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/Log.h"
#include "game/RaceSettings.h"

#include <INIReader.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* section = "race";

// A whole decimal number, nothing else; false for text, fractions or overflow.
bool parseInt(const std::string& text, long& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

// Reads key into value when it is a number in [low, high]; otherwise warns and keeps value.
void readRanged(const INIReader& file, const char* key, long low, long high, long& value) {
    if (!file.HasValue(section, key)) {
        return;
    }
    const std::string text = file.Get(section, key, "");
    long parsed = 0;
    if (!parseInt(text, parsed) || parsed < low || parsed > high) {
        logWarning("config.ini: [race] ", key, " must be ", low, " to ", high, ", not \"", text, "\"; using ",
                   value);
        return;
    }
    value = parsed;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

const char* skillName(AiSkill skill) {
    switch (skill) {
    case AiSkill::easy:
        return "easy";
    case AiSkill::hard:
        return "hard";
    default:
        return "medium";
    }
}

RaceSetup defaultRaceSetup(unsigned laps) {
    RaceSetup setup;
    setup.laps = std::clamp(laps, 1u, RaceSetup::maxLaps);
    return setup;
}

RaceSetup readRaceSetup(const std::string& path, const RaceSetup& defaults) {
    RaceSetup setup = defaults;
    const INIReader file(path);
    if (file.ParseError() < 0) {
        return setup;
    }
    long players = setup.players;
    long ai = setup.ai;
    long laps = setup.laps;
    readRanged(file, "players", 0, RaceSetup::maxPlayers, players);
    readRanged(file, "ai", 0, RaceSetup::maxAi, ai);
    readRanged(file, "laps", 1, RaceSetup::maxLaps, laps);
    if (players + ai > RaceSetup::maxKarts) {
        const long fitting = RaceSetup::maxKarts - players;
        logWarning("config.ini: [race] ai must leave at most ", RaceSetup::maxKarts, " karts, not ",
                   players + ai, "; using ", fitting);
        ai = fitting;
    }
    if (players + ai == 0) {
        logWarning("config.ini: [race] players and ai are both 0; using ", defaults.players, " and ",
                   defaults.ai);
        players = defaults.players;
        ai = defaults.ai;
    }
    setup.players = static_cast<int>(players);
    setup.ai = static_cast<int>(ai);
    setup.laps = static_cast<unsigned>(laps);
    if (file.HasValue(section, "skill")) {
        const std::string skill = lower(trim(file.Get(section, "skill", "")));
        if (skill == "easy" || skill == "medium" || skill == "hard") {
            setup.skill = skill == "easy" ? AiSkill::easy : skill == "hard" ? AiSkill::hard : AiSkill::medium;
        } else {
            logWarning("config.ini: [race] skill must be easy, medium or hard, not \"", skill, "\"; using ",
                       skillName(setup.skill));
        }
    }
    if (file.HasValue(section, "ghost")) {
        const std::string ghost = lower(trim(file.Get(section, "ghost", "")));
        if (ghost == "on" || ghost == "off") {
            setup.ghost = ghost == "on";
        } else {
            logWarning("config.ini: [race] ghost must be on or off, not \"", ghost, "\"; using ",
                       setup.ghost ? "on" : "off");
        }
    }
    if (file.HasValue(section, "track")) {
        const std::string track = trim(file.Get(section, "track", ""));
        // Relative to the assets folder and inside it.
        if (track.empty() || track.front() == '/' || track.find("..") != std::string::npos) {
            logWarning("config.ini: [race] track must be a file below the assets folder, not \"", track,
                       "\"; using ", setup.track);
        } else {
            setup.track = track;
        }
    }
    return setup;
}

bool writeRaceSetup(const std::string& path, const RaceSetup& setup) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    std::string text = content.str();
    text = RaceSettings::withValue(text, section, "players", std::to_string(setup.players));
    text = RaceSettings::withValue(text, section, "ai", std::to_string(setup.ai));
    text = RaceSettings::withValue(text, section, "laps", std::to_string(setup.laps));
    text = RaceSettings::withValue(text, section, "skill", skillName(setup.skill));
    text = RaceSettings::withValue(text, section, "track", setup.track);
    return writeFileAtomically(path, text);
}
