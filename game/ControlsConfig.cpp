// Reading the [controls] section line by line, so that a warning can say where.
#include "game/ControlsConfig.h"

#include "core/platform/Log.h"
#include "core/runtime/Keys.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

namespace {

constexpr std::array<const char*, 7> actionNames{"accelerate", "reverse", "left",   "right",
                                                 "boost",      "hop",     "respawn"};

// In the order of actionNames.
int& binding(PlayerKeys& keys, size_t action) {
    int* const fields[] = {&keys.accelerate, &keys.reverse, &keys.steerLeft, &keys.steerRight,
                           &keys.boost,      &keys.hop,     &keys.respawn};
    return *fields[action];
}

int binding(const PlayerKeys& keys, size_t action) {
    PlayerKeys copy = keys;
    return binding(copy, action);
}

std::string trim(const std::string& text) {
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    const auto begin = std::find_if(text.begin(), text.end(), notSpace);
    const auto end = std::find_if(text.rbegin(), text.rend(), notSpace).base();
    return begin < end ? std::string(begin, end) : std::string();
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

struct Setting {
    int line;
    size_t player;
    size_t action;
};

std::string controlName(size_t player, size_t action) {
    return "p" + std::to_string(player + 1) + "." + actionNames[action];
}

// True when "p1.accelerate" and the like names a control.
bool parseControl(const std::string& name, size_t& player, size_t& action) {
    const std::string wanted = lower(name);
    for (size_t p = 0; p < std::tuple_size<decltype(ControlsConfig::players)>::value; ++p) {
        for (size_t a = 0; a < actionNames.size(); ++a) {
            if (wanted == controlName(p, a)) {
                player = p;
                action = a;
                return true;
            }
        }
    }
    return false;
}

// The other control holding the same key, if any: the same action of the other
// player does not count.
bool clashes(const ControlsConfig& config, const Setting& setting, std::string& other) {
    const int key = binding(config.players[setting.player], setting.action);
    for (size_t p = 0; p < config.players.size(); ++p) {
        for (size_t a = 0; a < actionNames.size(); ++a) {
            if (a != setting.action && binding(config.players[p], a) == key) {
                other = controlName(p, a);
                return true;
            }
        }
    }
    return false;
}

} // namespace

ControlsConfig ControlsConfig::read(const std::string& path) {
    ControlsConfig config;
    std::ifstream file(path);
    if (!file) {
        return config;
    }
    const ControlsConfig defaults;
    std::vector<Setting> settings;
    std::string text;
    std::string section;
    int line = 0;
    while (std::getline(file, text)) {
        ++line;
        text = trim(text);
        if (text.empty() || text[0] == ';' || text[0] == '#') {
            continue;
        }
        if (text[0] == '[') {
            section = lower(trim(text.substr(1, text.find(']') - 1)));
            continue;
        }
        if (section != "controls") {
            continue;
        }
        const size_t equals = text.find('=');
        const std::string where = path + " line " + std::to_string(line) + ": ";
        if (equals == std::string::npos) {
            logWarning(where, "expected \"control = key\", not \"", text, "\"");
            continue;
        }
        const std::string name = trim(text.substr(0, equals));
        const std::string value = trim(text.substr(equals + 1));
        Setting setting{line, 0, 0};
        if (!parseControl(name, setting.player, setting.action)) {
            logWarning(where, "no control named \"", name, "\"");
            continue;
        }
        int& bound = binding(config.players[setting.player], setting.action);
        const int code = key::fromName(value);
        if (code == key::unknown) {
            logWarning(where, "no key named \"", value, "\" for ", name, "; keeping ", key::name(bound));
            continue;
        }
        bound = code;
        settings.erase(std::remove_if(settings.begin(), settings.end(),
                                      [&](const Setting& earlier) {
                                          return earlier.player == setting.player &&
                                                 earlier.action == setting.action;
                                      }),
                       settings.end());
        settings.push_back(setting);
    }
    // Judged on the final bindings, so that two controls may swap keys; the
    // latest line of a clash gives way, until none is left.
    for (bool changed = true; changed;) {
        changed = false;
        for (auto it = settings.rbegin(); it != settings.rend(); ++it) {
            std::string other;
            if (!clashes(config, *it, other)) {
                continue;
            }
            int& bound = binding(config.players[it->player], it->action);
            const int fallback = binding(defaults.players[it->player], it->action);
            logWarning(path, " line ", it->line, ": ", key::name(bound), " is already ", other, "; ",
                       controlName(it->player, it->action), " keeps ", key::name(fallback));
            bound = fallback;
            settings.erase(std::next(it).base());
            changed = true;
            break;
        }
    }
    return config;
}
