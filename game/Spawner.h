// Puts a kart back on the track: when it falls into the water (below height 0),
// its driver asks for it (R by default), or it has made no headway for a while its player held
// the throttle (beached), the kart is stopped, its camera holds still (a splash
// sounds for the water) and a second later the kart stands beside its last
// checkpoint. Its controls come back only while the race is on.
#pragma once

#include "core/runtime/Updateable.h"

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

class AudioSource;
class Checkpoint;
class FollowCamera;
class RaceFlow;

class Spawner : public Updateable {
public:
    Spawner(SystemRegistry* systems, Entity* entity);

    void fixedUpdate(float dt) override;

    void takeOffTrack();
    // Beside the respawn checkpoint; on a track without checkpoints, on the kart's
    // start pose (or where it is, without a race).
    void respawn();
    // Drops a respawn still pending (a restarted race has placed the kart) and any
    // R press not yet acted on; the kart and its camera are back in play.
    void cancelRespawn();

    // The checkpoint this kart would respawn at now: its last one, or the first of
    // the race before it touched any; null without checkpoints.
    Checkpoint* respawnCheckpoint() const;
    // Beside the checkpoint, player 1 to its left and player 2 to its right.
    glm::vec3 respawnPosition(const Checkpoint& checkpoint) const;
    glm::quat respawnRotation(const Checkpoint& checkpoint) const;

    bool isRespawning() const { return respawning; }

    // The race, handed over when it is built: where to respawn and whether the
    // controls come back. Without one the kart stays off the track.
    RaceFlow* race = nullptr;
    FollowCamera* followCamera = nullptr;
    AudioSource* splashSource = nullptr;

    static constexpr float respawnDelay = 1.0f;
    static constexpr float sideOffset = 5.0f;
    static constexpr float waterLevel = 0.0f;
    // Seconds of held throttle without getting strandedReach metres from where
    // the kart was before a kart counts as stranded.
    static constexpr float strandedTime = 4.0f;
    static constexpr float strandedReach = 3.0f;

private:
    int playerIndex() const;
    // Counts held-throttle time away from the last place the kart made headway from.
    bool isStranded(float dt);

    // Set from taking the kart off until it is back: the kart stays below the
    // water meanwhile, and must not be taken off again every step.
    bool respawning = false;
    glm::vec3 headwayFrom{0.0f};
    float throttleWithoutHeadway = 0.0f;
    // Counts take-offs and cancellations: a delayed respawn acts only if none came after it.
    unsigned respawnNumber = 0;
};
