// Option table matching and the usage text.
#include "core/platform/CommandLine.h"

#include <algorithm>
#include <sstream>

CommandLine::CommandLine(std::string program, std::string summary)
    : program(std::move(program)), summary(std::move(summary)) {}

void CommandLine::addFlag(const std::string& name, const std::string& shortName, const std::string& help,
                          bool* target) {
    entries.push_back({name, shortName, "", help, target, nullptr});
}

void CommandLine::addOption(const std::string& name, const std::string& valueName, const std::string& help,
                            std::string* target) {
    entries.push_back({name, "", valueName, help, nullptr, target});
}

const CommandLine::Entry* CommandLine::find(const std::string& name) const {
    for (const Entry& entry : entries) {
        if (entry.name == name || (!entry.shortName.empty() && entry.shortName == name)) {
            return &entry;
        }
    }
    return nullptr;
}

bool CommandLine::parse(int argc, const char* const* argv) {
    problem.clear();
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i] != nullptr ? argv[i] : "";
        const size_t equals = argument.find('=');
        const bool attached = argument.rfind("--", 0) == 0 && equals != std::string::npos;
        const std::string name = attached ? argument.substr(0, equals) : argument;
        const Entry* entry = argument.size() > 1 && argument[0] == '-' ? find(name) : nullptr;
        if (entry == nullptr) {
            problem = argument.empty() || argument[0] != '-' ? "unexpected argument '" + argument + "'"
                                                             : "unrecognised option '" + argument + "'";
            return false;
        }
        if (entry->flag != nullptr) {
            if (attached) {
                problem = "option '" + name + "' takes no value";
                return false;
            }
            *entry->flag = true;
        } else if (attached) {
            *entry->value = argument.substr(equals + 1);
        } else if (i + 1 < argc && argv[i + 1] != nullptr) {
            *entry->value = argv[++i];
        } else {
            problem = "option '" + name + "' needs a value (" + entry->valueName + ")";
            return false;
        }
    }
    return true;
}

std::string CommandLine::usage() const {
    std::vector<std::string> left;
    size_t width = 0;
    for (const Entry& entry : entries) {
        std::string text =
            entry.shortName.empty() ? "    " + entry.name : entry.shortName + ", " + entry.name;
        if (!entry.valueName.empty()) {
            text += " " + entry.valueName;
        }
        width = std::max(width, text.size());
        left.push_back(text);
    }
    std::ostringstream out;
    out << "Usage: " << program << " [OPTION]...\n" << summary << "\n\nOptions:\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        out << "  " << left[i] << std::string(width - left[i].size() + 2, ' ') << entries[i].help << "\n";
    }
    return out.str();
}
