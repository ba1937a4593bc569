// A player's best lap on a track, kept to be raced against: the kart's pose
// every sampleSteps fixed steps from the line to the line, and the lap's time.
// A pose between two samples is interpolated. On disk a small versioned file
// below the data folder ("ghosts/<track>.twghost", next to the records), written
// atomically; reading checks every field, so a broken file is refused with one
// reason and never read past its end.
#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <string>
#include <vector>

class GhostLap {
public:
    struct Pose {
        glm::vec3 position{0.0f};
        glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    };

    static constexpr char magic[8] = {'T', 'W', 'G', 'H', 'O', 'S', 'T', '\0'};
    static constexpr uint32_t formatVersion = 1;
    static constexpr int sampleSteps = 2;
    // Ten minutes of samples: no lap is longer.
    static constexpr uint32_t maxSamples = 60u * 60u * 10u / sampleSteps;

    // The pose after step fixed steps of the lap, between the samples around it;
    // the last sample after the lap's end.
    Pose poseAt(uint32_t step) const;
    uint32_t steps() const { return static_cast<uint32_t>(samples.size()) * sampleSteps; }

    std::string encode() const;
    bool decode(const std::string& bytes, std::string& reason);
    // Makes the file's folder first.
    bool save(const std::string& path) const;
    // A missing file is no error (no lap was kept yet) and logs nothing; a broken one logs one line.
    bool load(const std::string& path);

    // Where the ghost of track (a track file relative to the assets folder) is
    // kept: "ghosts/<track's name>.twghost" in the folder of the records file.
    static std::string pathBeside(const std::string& recordsPath, const std::string& track);

    std::string track;
    float lapTime = 0.0f;
    std::vector<Pose> samples;
};
