// A recorded race: the setup it was driven with (players, AI karts and skill,
// laps, track), the seed of everything random in it and every kart's controls
// at every fixed step, which together replay it exactly on the same build. On disk a small versioned binary
// file: a header with the setup and kart names, then the controls as a zlib stream that holds, per step and
// kart, one byte saying what changed and the changed values. Reading checks every field and every count, so a
// broken, truncated or newer file is refused with one clear reason and never read past its end.
#pragma once

#include "game/KartControls.h"
#include "game/RaceSetup.h"

#include <cstdint>
#include <string>
#include <vector>

class ReplayFile {
public:
    static constexpr char magic[8] = {'T', 'W', 'R', 'E', 'P', 'L', 'A', 'Y'};
    static constexpr uint32_t formatVersion = 1;
    static constexpr int maxKarts = 8;
    // One hour of fixed steps: longer races are not recorded further.
    static constexpr uint32_t maxSteps = 60u * 60u * 60u;
    static constexpr size_t maxNameLength = 32;
    static constexpr size_t maxTrackLength = 200;
    static constexpr size_t maxBuildLength = 64;
    static constexpr unsigned maxLaps = 99;

    // Starts an empty recording for these karts.
    void begin(const RaceSetup& raceSetup, uint32_t raceSeed, std::vector<std::string> names);
    // The controls every kart took in the next fixed step, one per kart in order.
    // False (and nothing kept) once maxSteps are recorded.
    bool addStep(const KartControls* stepControls);

    size_t karts() const { return kartNames.size(); }
    size_t steps() const { return karts() == 0 ? 0 : controls.size() / karts(); }
    const KartControls& at(size_t step, size_t kart) const { return controls[step * karts() + kart]; }

    // The file's bytes.
    std::string encode() const;
    // Reads bytes into this file; on failure leaves it empty and says why in reason.
    bool decode(const std::string& bytes, std::string& reason);

    // Writes the file atomically; one warning line on failure.
    bool save(const std::string& path) const;
    // Reads a file; on failure one log line naming the file and the reason.
    bool load(const std::string& path);

    // Where this game keeps its replays, created on the way; empty without a home folder.
    static std::string folder();
    // A new file name in folder for a race saved now ("20261206-081502-01.twreplay").
    static std::string newPath(const std::string& folder);
    // Deletes the oldest replays of folder (by name, which sorts by time) beyond keep.
    static void keepNewest(const std::string& folder, size_t keep);
    static constexpr size_t keptReplays = 20;
    static constexpr const char* extension = ".twreplay";

    // The build that wrote the file; a replay from another build may drive differently.
    static std::string thisBuild();

    // The race as it was driven: its players first, then its AI karts.
    RaceSetup setup;
    uint32_t seed = 0;
    std::string build = thisBuild();
    std::vector<std::string> kartNames;

private:
    // Step-major: every kart of step 0, then of step 1, ...
    std::vector<KartControls> controls;
};
