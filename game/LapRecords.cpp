// Reading and writing records.ini.
#include "game/LapRecords.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/Log.h"
#include "core/platform/UserPaths.h"

#include <INIReader.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr const char* section = "laps";

std::string trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

std::string LapRecords::defaultPath() {
    const UserPaths paths("torquewind");
    return paths.dataDir().empty() ? "" : paths.dataDir() + "/records.ini";
}

LapRecords::LapRecords(std::string path) : path(std::move(path)) {}

float LapRecords::best(const std::string& track) const {
    if (path.empty()) {
        return 0.0f;
    }
    const INIReader file(path);
    if (file.ParseError() < 0 || !file.HasValue(section, track)) {
        return 0.0f;
    }
    const std::string text = file.Get(section, track, "");
    char* end = nullptr;
    const float seconds = std::strtof(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds <= 0.0f) {
        logWarning("records.ini: the best lap of ", track, " is not a time: \"", text, "\"");
        return 0.0f;
    }
    return seconds;
}

bool LapRecords::offer(const std::string& track, float lap) const {
    if (path.empty() || !(lap > 0.0f)) {
        return false;
    }
    const float old = best(track);
    if (old > 0.0f && old <= lap) {
        return false;
    }
    // Every other track's record stays as it was.
    std::map<std::string, std::string> laps;
    std::ifstream in(path);
    std::string line;
    bool inLaps = false;
    while (std::getline(in, line)) {
        const std::string entry = trim(line);
        if (!entry.empty() && entry.front() == '[') {
            inLaps = entry == "[laps]";
        } else if (inLaps && entry.find('=') != std::string::npos && entry.front() != ';') {
            laps[trim(entry.substr(0, entry.find('=')))] = trim(entry.substr(entry.find('=') + 1));
        }
    }
    std::ostringstream value;
    value.precision(6);
    value << lap;
    laps[track] = value.str();
    std::ostringstream out;
    out << "[" << section << "]\n";
    for (const auto& [name, seconds] : laps) {
        out << name << " = " << seconds << "\n";
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    return writeFileAtomically(path, out.str());
}
