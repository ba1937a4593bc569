// Drives a kart by itself: fills the kart's controls once per frame, before the
// fixed steps (see KartControls.h), like a player's driver does. It aims at a
// point ahead on the racing line, slows for the bends it sees coming, boosts on
// straights, never hops, moves aside or lifts rather than ram the kart ahead,
// and when stuck backs out, then asks to be put back on the track.
// The skill sets its top speed, how closely it holds the line and how quickly
// its steering follows what it sees.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/RaceSetup.h"

#include <glm/glm.hpp>

#include <memory>
#include <vector>

class Car;
class RaceFlow;
class RacingLine;
class Transform;

class AiDriver : public Updateable {
public:
    // The entity's Car must exist already. lane: the kart's own offset from the
    // line in metres (+ right), so that a field spreads over the road.
    AiDriver(SystemRegistry* systems, Entity* entity, std::shared_ptr<const RacingLine> line, AiSkill skill,
             float lane = 0.0f);

    void earlyUpdate(float dt) override;

    struct Skill {
        // Of the speed a bend allows.
        float speedFactor;
        // Metres the kart wanders either side of its lane.
        float wander;
        // Seconds for the steering to follow a change of aim.
        float reaction;
    };
    static Skill skillOf(AiSkill skill);

    // Times the kart was stuck and backed out or asked to be put back.
    int stuckCount = 0;
    int respawnCount = 0;
    // The longest time the kart made no headway along the line while it could drive.
    float longestStuck = 0.0f;

    // Driving slower than this counts as stuck.
    static constexpr float stuckSpeed = 1.0f;
    static constexpr float stuckBeforeReverse = 1.2f;
    static constexpr float reverseDuration = 1.0f;
    // Without headway for this long the kart asks to be put back.
    static constexpr float stuckBeforeRespawn = 4.0f;

private:
    struct Decision {
        float throttle = 0.0f;
        float steering = 0.0f;
        bool boost = false;
    };

    void findRivals();
    Decision decide(float dt);
    // The offset from the line to drive at: wanted, or round the nearest kart
    // ahead in the way; lift when too close to get round it.
    float avoidRivals(const glm::vec3& position, const glm::vec3& forward, size_t nearest, float wanted,
                      bool& lift) const;
    void watchHeadway(size_t nearest, float dt, bool& respawn);

    std::shared_ptr<const RacingLine> line;
    Skill skill;
    float lane;
    Car* car = nullptr;
    Transform* transform = nullptr;
    std::vector<Transform*> rivals;
    bool rivalsFound = false;

    size_t progress = 0;
    bool progressKnown = false;
    float steering = 0.0f;
    float clock = 0.0f;
    float slowTime = 0.0f;
    float reverseTime = 0.0f;
    // Headway: the furthest sample reached, counted over laps, and since when.
    long furthest = 0;
    long laps = 0;
    size_t lastNearest = 0;
    float noHeadwayTime = 0.0f;
};
