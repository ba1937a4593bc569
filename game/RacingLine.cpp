// Catmull-Rom curve through the checkpoints and look-ups along it.
#include "game/RacingLine.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"
#include "game/Checkpoint.h"

#include <cmath>

namespace {

glm::vec3 catmullRom(const glm::vec3& p0, const glm::vec3& p1, const glm::vec3& p2, const glm::vec3& p3,
                     float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return 0.5f * ((2.0f * p1) + (-p0 + p2) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                   (-p0 + 3.0f * p1 - 3.0f * p2 + p3) * t3);
}

glm::vec3 flat(const glm::vec3& v) {
    return {v.x, 0.0f, v.z};
}

std::vector<glm::vec3> positionsOf(const std::vector<Checkpoint*>& checkpoints) {
    std::vector<glm::vec3> points;
    points.reserve(checkpoints.size());
    for (const Checkpoint* checkpoint : checkpoints) {
        points.push_back(checkpoint->entity->getComponent<Transform>()->getWorldPosition());
    }
    return points;
}

} // namespace

RacingLine::RacingLine(const std::vector<Checkpoint*>& checkpoints) : RacingLine(positionsOf(checkpoints)) {}

RacingLine::RacingLine(const std::vector<glm::vec3>& points) {
    const size_t count = points.size();
    if (count < 3) {
        return;
    }
    samples.reserve(count * samplesPerSegment);
    for (size_t i = 0; i < count; ++i) {
        const glm::vec3& p0 = points[(i + count - 1) % count];
        const glm::vec3& p1 = points[i];
        const glm::vec3& p2 = points[(i + 1) % count];
        const glm::vec3& p3 = points[(i + 2) % count];
        for (int s = 0; s < samplesPerSegment; ++s) {
            samples.push_back(catmullRom(p0, p1, p2, p3, static_cast<float>(s) / samplesPerSegment));
        }
    }
}

glm::vec3 RacingLine::direction(size_t index) const {
    const glm::vec3 along = flat(point(index + 1) - point(index));
    const float length = glm::length(along);
    return length > 1e-6f ? along / length : glm::vec3(0.0f, 0.0f, -1.0f);
}

glm::vec3 RacingLine::right(size_t index) const {
    return glm::cross(direction(index), glm::vec3(0.0f, 1.0f, 0.0f));
}

size_t RacingLine::nearest(const glm::vec3& position, size_t hint, bool searchNear) const {
    const size_t count = samples.size();
    if (count == 0) {
        return 0;
    }
    // Near the last answer: a little behind, further ahead.
    const size_t back = searchNear ? samplesPerSegment : 0;
    const size_t span = searchNear ? 3 * samplesPerSegment : count;
    const size_t first = (hint % count + count - back) % count;
    size_t best = first;
    float bestDistance = 1e30f;
    for (size_t offset = 0; offset < span && offset < count; ++offset) {
        const size_t index = (first + offset) % count;
        const glm::vec3 d = flat(samples[index] - position);
        const float distance = glm::dot(d, d);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = index;
        }
    }
    return best;
}

size_t RacingLine::ahead(size_t from, float metres) const {
    size_t index = from;
    float covered = 0.0f;
    // A whole lap at most, so a degenerate line cannot loop for ever.
    for (size_t steps = 0; covered < metres && steps < samples.size(); ++steps) {
        covered += glm::length(flat(point(index + 1) - point(index)));
        ++index;
    }
    return index % samples.size();
}

float RacingLine::bend(size_t from, float metres) const {
    const glm::vec3 now = direction(from);
    const glm::vec3 later = direction(ahead(from, metres));
    const float cross = now.x * later.z - now.z * later.x;
    return std::abs(std::atan2(cross, glm::dot(now, later)));
}
