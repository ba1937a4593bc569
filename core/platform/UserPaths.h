// Where a player's own files live: settings under the XDG config folder and
// records and replays under the XDG data folder, so an installed game never
// writes next to its executable or into the working directory.
#pragma once

#include <string>

class UserPaths {
public:
    // Reads XDG_CONFIG_HOME, XDG_DATA_HOME and HOME once, here. As the XDG base
    // directory rules say, an unset, empty or relative XDG variable counts as
    // absent and ~/.config or ~/.local/share stands in; without HOME the
    // password database names the home folder. Nothing is created yet.
    explicit UserPaths(const std::string& appName);

    // "<config home>/<appName>" and "<data home>/<appName>"; empty when no home
    // folder could be found at all.
    const std::string& configDir() const { return config; }
    const std::string& dataDir() const { return data; }

    // The path of a file below either folder, creating the folders on the way
    // (0700, as the XDG rules ask). relativePath may name subfolders
    // ("replays/best.rpl"). Empty, with one log line, when a folder cannot be made.
    std::string configFile(const std::string& relativePath) const;
    std::string dataFile(const std::string& relativePath) const;

private:
    std::string config;
    std::string data;
};
