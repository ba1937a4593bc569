// The best lap on each track, kept in the player's data folder
// ($XDG_DATA_HOME/torquewind/records.ini) as "<track> = <seconds>" under [laps].
#pragma once

#include <string>

class LapRecords {
public:
    // Where the records live for this user; empty when no home folder is known.
    static std::string defaultPath();

    explicit LapRecords(std::string path);

    // Seconds, or 0 when the track has no record (or its entry is unusable,
    // which is warned about once here).
    float best(const std::string& track) const;
    // Keeps lap as the track's record when it beats the old one (or there was
    // none), writing the file atomically; true when it did.
    bool offer(const std::string& track, float lap) const;

private:
    std::string path;
};
