// Reading and atomically rewriting the [race] choices of config.ini.
#include "game/RaceSettings.h"

#include "core/platform/AtomicWrite.h"
#include "core/platform/Log.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <vector>

namespace RaceSettings {

namespace {

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a])) != 0) {
        ++a;
    }
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])) != 0) {
        --b;
    }
    return s.substr(a, b - a);
}

std::string lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// The section a line opens ("[race]" -> "race"), or nothing.
bool sectionOf(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') {
        return false;
    }
    const size_t close = t.find(']');
    if (close == std::string::npos) {
        return false;
    }
    name = lower(trim(t.substr(1, close - 1)));
    return true;
}

bool isKey(const std::string& line, const std::string& key) {
    const std::string t = trim(line);
    const size_t equals = t.find_first_of("=:");
    return !t.empty() && t[0] != ';' && t[0] != '#' && equals != std::string::npos &&
           lower(trim(t.substr(0, equals))) == lower(key);
}

} // namespace

std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    const std::string entry = key + " = " + value;
    const std::string wanted = lower(section);
    bool inSection = false;
    long lastInSection = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (sectionOf(lines[i], name)) {
            inSection = name == wanted;
            if (inSection) {
                lastInSection = static_cast<long>(i);
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (isKey(lines[i], key)) {
            lines[i] = entry;
            lastInSection = -2;
            break;
        }
        if (!trim(lines[i]).empty()) {
            lastInSection = static_cast<long>(i);
        }
    }
    if (lastInSection >= 0) {
        lines.insert(lines.begin() + lastInSection + 1, entry);
    } else if (lastInSection == -1) {
        if (!lines.empty() && !trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    std::string out;
    for (const std::string& line : lines) {
        out += line + "\n";
    }
    return out;
}

bool saveTrack(const std::string& configPath, const std::string& track) {
    std::ostringstream content;
    content << std::ifstream(configPath, std::ios::binary).rdbuf();
    if (!writeFileAtomically(configPath, withValue(content.str(), "race", "track", track))) {
        logWarning("Cannot save the track choice to ", configPath);
        return false;
    }
    return true;
}

} // namespace RaceSettings
