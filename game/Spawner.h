// Puts a kart back on the track: when it falls into the water (below height 0)
// or its driver asks for it (R by default), the kart is stopped, its camera
// holds still, a splash sounds, and a second later the kart stands beside its
// last checkpoint.
// Its controls come back only while the race is on.
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
    void respawn();

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

private:
    int playerIndex() const;

    // Set from taking the kart off until it is back: the kart stays below the
    // water meanwhile, and must not be taken off again every step.
    bool respawning = false;
};
