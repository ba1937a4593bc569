// See RaceDriver.h.
#include "RaceDriver.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/RaceFlow.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int samplesPerSegment = RacingLine::samplesPerSegment;
constexpr float lookahead = 13.0f;

glm::vec2 flat(const glm::vec3& v) {
    return {v.x, v.z};
}

float signedAngle(const glm::vec2& from, const glm::vec2& to) {
    return std::atan2(from.x * to.y - from.y * to.x, glm::dot(from, to));
}

} // namespace

RaceDriver::RaceDriver(const RaceFlow& gameplay, Car& car, KartKeys keys, float lane)
    : laneOffset(lane), car(car), transform(*car.entity->getComponent<Transform>()), keys(keys),
      path(gameplay.checkpoints) {}

KartKeys RaceDriver::playerKeys(int player) {
    return player == 0 ? KartKeys{GLFW_KEY_W, GLFW_KEY_S, GLFW_KEY_A, GLFW_KEY_D}
                       : KartKeys{GLFW_KEY_UP, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_RIGHT};
}

size_t RaceDriver::nearestSample(const glm::vec3& position) {
    const size_t count = path.size();
    size_t best = progress;
    float bestDistance = 1e30f;
    // The first search looks everywhere; later ones only a little behind and ahead.
    const long from = progressKnown ? -samplesPerSegment : 0;
    const long to = progressKnown ? 2 * samplesPerSegment : static_cast<long>(count);
    for (long offset = from; offset < to; ++offset) {
        const size_t index =
            (progress + count + static_cast<size_t>(offset + static_cast<long>(count))) % count;
        const float distance = glm::distance(flat(path.point(index)), flat(position));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = index;
        }
    }
    progressKnown = true;
    progress = best;
    return best;
}

float RaceDriver::bendAhead(size_t from) const {
    // Heading change over the next stretch of road.
    const glm::vec2 now = glm::normalize(flat(pathPoint(from + 2) - pathPoint(from)));
    const glm::vec2 later =
        glm::normalize(flat(pathPoint(from + samplesPerSegment + 2) - pathPoint(from + samplesPerSegment)));
    return std::abs(signedAngle(now, later));
}

RaceDriver::Keys RaceDriver::decide(float dt) {
    Keys decision{};
    if (path.size() < 3) {
        return decision;
    }
    const glm::vec3 position = transform.getWorldPosition();
    const size_t nearest = nearestSample(position);
    // Walk along the samples until the lookahead distance is covered.
    size_t index = nearest;
    float covered = 0.0f;
    while (covered < lookahead) {
        covered += glm::distance(pathPoint(index), pathPoint(index + 1));
        ++index;
    }
    const glm::vec3 tangent = glm::normalize(pathPoint(index + 1) - pathPoint(index));
    const glm::vec3 side = glm::normalize(glm::cross(tangent, glm::vec3(0, 1, 0)));
    const glm::vec3 aim = pathPoint(index) + laneOffset * side;

    const glm::vec2 heading = glm::normalize(flat(transform.forward()));
    const glm::vec2 wanted = glm::normalize(flat(aim - position));
    // Seen from above, (x, z) turns clockwise: negate so that positive means the
    // aim lies to the left.
    const float error = -signedAngle(heading, wanted);

    if (reverseTime > 0.0f) {
        // Backing out of a wall: steer the other way while reversing.
        reverseTime -= dt;
        decision[reverse] = true;
        decision[left] = error < 0.0f;
        decision[right] = error > 0.0f;
        return decision;
    }
    stuckTime = car.speed < 1.0f && car.controlsEnabled ? stuckTime + dt : 0.0f;
    if (stuckTime > 2.0f) {
        stuckTime = 0.0f;
        reverseTime = 1.2f;
    }

    const float deadband = glm::radians(2.0f);
    decision[left] = error > deadband;
    decision[right] = error < -deadband;
    const float bend = std::max(bendAhead(nearest), bendAhead(nearest + samplesPerSegment / 2));
    const float wantedSpeed = bend > glm::radians(50.0f) ? 13.0f : bend > glm::radians(25.0f) ? 18.0f : 30.0f;
    if (std::abs(error) > glm::radians(40.0f) && car.speed > 10.0f) {
        return decision;
    }
    if (car.speed < wantedSpeed) {
        decision[accelerate] = true;
    } else if (car.speed > wantedSpeed + 6.0f) {
        decision[reverse] = true;
    }
    return decision;
}

void RaceDriver::setKeys(Input& input, const Keys& wanted) {
    const int codes[4] = {keys.accelerate, keys.reverse, keys.left, keys.right};
    for (size_t i = 0; i < 4; ++i) {
        if (wanted[i] != down[i]) {
            input.queueKey(codes[i], wanted[i] ? GLFW_PRESS : GLFW_RELEASE);
        }
    }
    down = wanted;
}

void RaceDriver::drive(Input& input, float dt) {
    setKeys(input, decide(dt));
}

void RaceDriver::release(Input& input) {
    setKeys(input, Keys{});
}
