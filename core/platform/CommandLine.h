// A small command-line parser driven by a table of options, so that a new
// option is one add call: flags ("--help") and options with one value
// ("--replay FILE" or "--replay=FILE"). Parsing stops at the first problem and
// says what it was; the caller prints usage() and exits with status 2, as
// command-line programs do for a usage error.
#pragma once

#include <string>
#include <vector>

class CommandLine {
public:
    // program names the command in the usage; summary is its one-line description.
    CommandLine(std::string program, std::string summary);

    // shortName may be empty ("-h" for "--help"); target is set true when given.
    void addFlag(const std::string& name, const std::string& shortName, const std::string& help,
                 bool* target);
    // target receives the value; valueName is what the usage calls it ("FILE").
    void addOption(const std::string& name, const std::string& valueName, const std::string& help,
                   std::string* target);

    // argv[0] is the program and is skipped. False for an unknown option, a
    // missing or unexpected value, or a plain argument; error() then says which.
    bool parse(int argc, const char* const* argv);
    const std::string& error() const { return problem; }

    // "Usage: program [OPTION]...", the summary and one aligned line per option.
    std::string usage() const;

private:
    struct Entry {
        std::string name;
        std::string shortName;
        std::string valueName;
        std::string help;
        bool* flag = nullptr;
        std::string* value = nullptr;
    };
    const Entry* find(const std::string& name) const;

    std::string program;
    std::string summary;
    std::vector<Entry> entries;
    std::string problem;
};
