// The computer's driving.
#include "game/AiDriver.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"
#include "game/RaceFlow.h"
#include "game/RacingLine.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float fullSpeed = 30.0f;
constexpr float lookaheadBase = 9.0f;
constexpr float lookaheadPerSpeed = 0.2f;
// Angle of aim at which the steering is full.
constexpr float fullLock = 0.45f;
// How far ahead (plus a metre per m/s) a kart counts as in the way, and how
// far to the side of this kart's path.
constexpr float rivalRange = 10.0f;
constexpr float rivalWidth = 2.6f;
constexpr float passOffset = 3.0f;

glm::vec2 flat(const glm::vec3& v) {
    return {v.x, v.z};
}

// Positive when to lies to the left of from, seen from above.
float leftAngle(const glm::vec2& from, const glm::vec2& to) {
    return -std::atan2(from.x * to.y - from.y * to.x, glm::dot(from, to));
}

} // namespace

AiDriver::Skill AiDriver::skillOf(AiSkill level) {
    switch (level) {
    case AiSkill::easy:
        return {0.55f, 2.0f, 0.35f};
    case AiSkill::hard:
        return {1.05f, 0.2f, 0.05f};
    default:
        return {0.64f, 0.8f, 0.15f};
    }
}

AiDriver::AiDriver(SystemRegistry* systems, Entity* entity, std::shared_ptr<const RacingLine> line,
                   AiSkill level, float lane)
    : Updateable(systems, entity), line(std::move(line)), skill(skillOf(level)), lane(lane) {
    car = entity != nullptr ? entity->getComponent<Car>() : nullptr;
    transform = entity != nullptr ? entity->getComponent<Transform>() : nullptr;
}

void AiDriver::findRivals() {
    rivalsFound = true;
    Entity* holder = entity->scene != nullptr ? entity->scene->findEntity("gameplay") : nullptr;
    const RaceFlow* gameplay = holder != nullptr ? holder->getComponent<RaceFlow>() : nullptr;
    if (gameplay == nullptr) {
        return;
    }
    for (Entity* kart : gameplay->karts) {
        if (kart != nullptr && kart != entity) {
            if (auto* at = kart->getComponent<Transform>()) {
                rivals.push_back(at);
            }
        }
    }
}

void AiDriver::earlyUpdate(float dt) {
    Updateable::earlyUpdate(dt);
    if (car == nullptr || transform == nullptr || line == nullptr || line->empty()) {
        return;
    }
    if (!rivalsFound) {
        findRivals();
    }
    KartControls& controls = car->controls;
    const bool paused = entity->scene != nullptr && entity->scene->timeScale <= 0.0f;
    if (!car->controlsEnabled || paused) {
        controls.throttle = 0.0f;
        controls.steering = 0.0f;
        slowTime = 0.0f;
        reverseTime = 0.0f;
        noHeadwayTime = 0.0f;
        // It may be put anywhere meanwhile (the grid of the next race): look afresh.
        progressKnown = false;
        return;
    }
    const Decision decision = decide(dt);
    controls.throttle = decision.throttle;
    controls.steering = decision.steering;
    controls.boost |= decision.boost;
}

void AiDriver::watchHeadway(size_t nearest, float dt, bool& respawn) {
    const long count = static_cast<long>(line->size());
    // Crossing the line's seam forwards or backwards counts a lap up or down.
    const long step = static_cast<long>(nearest) - static_cast<long>(lastNearest);
    if (step < -count / 2) {
        ++laps;
    } else if (step > count / 2) {
        --laps;
    }
    lastNearest = nearest;
    const long reached = laps * count + static_cast<long>(nearest);
    // A few samples of headway count; jitter about one sample does not.
    if (reached > furthest + 2) {
        furthest = reached;
        noHeadwayTime = 0.0f;
        return;
    }
    noHeadwayTime += dt;
    longestStuck = std::max(longestStuck, noHeadwayTime);
    if (noHeadwayTime > stuckBeforeRespawn) {
        respawn = true;
        ++respawnCount;
        noHeadwayTime = 0.0f;
        reverseTime = 0.0f;
        slowTime = 0.0f;
        // Back beside the last checkpoint: the line's search starts afresh.
        progressKnown = false;
    }
}

float AiDriver::avoidRivals(const glm::vec3& position, const glm::vec3& forward, size_t nearest, float wanted,
                            bool& lift) const {
    const glm::vec2 ahead = glm::normalize(flat(forward));
    const glm::vec2 side(-ahead.y, ahead.x);
    // Far enough to get round at speed.
    const float range = rivalRange + car->speed;
    float closest = range;
    float offset = wanted;
    for (Transform* rival : rivals) {
        const glm::vec3 at = rival->getWorldPosition();
        const glm::vec2 to = flat(at - position);
        const float along = glm::dot(to, ahead);
        if (along <= 0.5f || along >= closest) {
            continue;
        }
        // Where it is across the road, against where this kart means to go.
        const size_t rivalNearest = line->nearest(at, nearest, true);
        const float rivalOffset = glm::dot(at - line->point(rivalNearest), line->right(rivalNearest));
        if (std::abs(rivalOffset - wanted) > rivalWidth) {
            continue;
        }
        closest = along;
        // Round it on the side nearer the middle of the road.
        offset = rivalOffset > 0.0f ? rivalOffset - passOffset : rivalOffset + passOffset;
        const float across = glm::dot(to, side);
        lift = along < 6.0f && std::abs(across) < 1.8f;
    }
    return offset;
}

AiDriver::Decision AiDriver::decide(float dt) {
    Decision decision;
    clock += dt;
    const glm::vec3 position = transform->getWorldPosition();
    const glm::vec3 forward = transform->forward();
    const size_t nearest = line->nearest(position, progress, progressKnown);
    if (!progressKnown) {
        lastNearest = nearest;
        furthest = laps * static_cast<long>(line->size()) + static_cast<long>(nearest);
    }
    progress = nearest;
    progressKnown = true;

    bool respawn = false;
    watchHeadway(nearest, dt, respawn);
    if (respawn) {
        car->controls.respawn = true;
        return decision;
    }

    const float speed = car->speed;
    bool lift = false;
    const float wander = skill.wander * std::sin(clock * 0.35f + lane);
    const float offset = avoidRivals(position, forward, nearest, lane + wander, lift);
    const size_t aimIndex = line->ahead(nearest, lookaheadBase + lookaheadPerSpeed * speed);
    const glm::vec3 aim = line->point(aimIndex) + offset * line->right(aimIndex);
    const glm::vec2 heading = flat(forward);
    const glm::vec2 wanted = flat(aim - position);
    const float error = glm::length(heading) > 1e-4f && glm::length(wanted) > 1e-4f
                            ? leftAngle(glm::normalize(heading), glm::normalize(wanted))
                            : 0.0f;

    if (reverseTime > 0.0f) {
        // Backing out: the wheels the other way round, so the nose swings towards the aim.
        reverseTime -= dt;
        decision.throttle = -1.0f;
        decision.steering = error > 0.0f ? 1.0f : -1.0f;
        steering = decision.steering;
        return decision;
    }
    slowTime = speed < stuckSpeed ? slowTime + dt : 0.0f;
    if (slowTime > stuckBeforeReverse) {
        slowTime = 0.0f;
        reverseTime = reverseDuration;
        ++stuckCount;
    }

    // Steering follows the aim with the skill's delay.
    const float target = std::clamp(-error / fullLock, -1.0f, 1.0f);
    steering += (target - steering) * std::min(1.0f, dt / std::max(skill.reaction, dt));
    decision.steering = steering;

    const float bend = std::max(line->bend(nearest, 20.0f), line->bend(line->ahead(nearest, 12.0f), 20.0f));
    const float bendSpeed = bend > glm::radians(50.0f)   ? 13.0f
                            : bend > glm::radians(25.0f) ? 18.0f
                                                         : fullSpeed;
    const float wantedSpeed = bendSpeed * skill.speedFactor;
    if (std::abs(error) > glm::radians(40.0f) && speed > 10.0f) {
        decision.throttle = 0.0f;
    } else if (speed < wantedSpeed) {
        decision.throttle = 1.0f;
    } else if (speed > wantedSpeed + 5.0f) {
        decision.throttle = -1.0f;
    }
    if (lift) {
        decision.throttle = speed > 5.0f ? -1.0f : 0.0f;
    }
    // Boost only where the road runs straight well beyond the boost's reach.
    const bool straight = line->bend(nearest, 60.0f) < glm::radians(12.0f) &&
                          line->bend(line->ahead(nearest, 30.0f), 40.0f) < glm::radians(15.0f);
    decision.boost = straight && !lift && std::abs(error) < glm::radians(6.0f) && speed > 15.0f &&
                     skill.speedFactor >= 1.0f;
    return decision;
}
