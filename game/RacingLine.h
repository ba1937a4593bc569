// The line the AI karts drive: a smooth closed curve through the track's
// checkpoints (which stand in the middle of the road), sampled evenly enough to
// look up the nearest point, a point some metres ahead and the bend coming up.
// Built once when the race is built; read-only afterwards.
#pragma once

#include <glm/glm.hpp>

#include <vector>

class Checkpoint;

class RacingLine {
public:
    // Through the points in order, closing back to the first; fewer than three
    // points give an empty line.
    explicit RacingLine(const std::vector<glm::vec3>& points);
    // Through the race's checkpoints, in their order.
    explicit RacingLine(const std::vector<Checkpoint*>& checkpoints);

    bool empty() const { return samples.size() < 3; }
    size_t size() const { return samples.size(); }
    // Wraps round the closed line.
    const glm::vec3& point(size_t index) const { return samples[index % samples.size()]; }
    // Unit direction of travel at a sample, flat (y = 0).
    glm::vec3 direction(size_t index) const;
    // Unit vector to the right of the direction of travel, flat.
    glm::vec3 right(size_t index) const;

    // The sample nearest to position seen from above: near hint when searchNear,
    // else over the whole line.
    size_t nearest(const glm::vec3& position, size_t hint, bool searchNear) const;
    // The sample at least metres further along the line than from.
    size_t ahead(size_t from, float metres) const;
    // Absolute heading change in radians between from and metres further on.
    float bend(size_t from, float metres) const;

    static constexpr int samplesPerSegment = 24;

private:
    std::vector<glm::vec3> samples;
};
