// One kart's race progress: the last checkpoint passed in order and the lap
// being driven, announcing when the kart has driven the race's laps.
#pragma once

#include "core/runtime/Component.h"
#include "core/runtime/Event.h"

class Checkpoint;
class RaceFlow;
class RigidBody;

class RaceProgress : public Component {
public:
    // Listens to the triggers of the entity's RigidBodyDynamic, which must exist
    // already and outlive this component (it does when added after it).
    RaceProgress(SystemRegistry* systems, Entity* entity);

    // The kart's body entered a trigger; only checkpoints count.
    void onTrigger(RigidBody* self, RigidBody* other);

    unsigned playerIndex = 0;
    // The race this kart drives in, handed over when the race is built; without
    // one only the first checkpoint touched counts.
    RaceFlow* race = nullptr;
    Checkpoint* lastCheckpoint = nullptr;
    // Called with playerIndex each time a lap beyond the race's laps begins.
    Event<unsigned> onFinished;
    // 0 before the first checkpoint.
    int lap = 0;
    // On the race clock (RaceFlow::raceTime): when the lap being driven began,
    // the fastest lap so far (0 before one is done) and the finish (0 before it).
    float lapStartTime = 0.0f;
    float bestLap = 0.0f;
    float finishTime = 0.0f;

    // Back to the state before the race's start.
    void reset();

private:
    void passCheckpoint(Checkpoint* checkpoint, const RaceFlow* gameplay);
    void startLap(const RaceFlow* gameplay);
};
