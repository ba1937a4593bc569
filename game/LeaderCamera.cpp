// Following the leading kart.
#include "game/LeaderCamera.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Transform.h"
#include "game/FollowCamera.h"
#include "game/RaceFlow.h"
#include "game/Spawner.h"

LeaderCamera::LeaderCamera(SystemRegistry* systems, Entity* entity, FollowCamera* camera, RaceFlow* race)
    : Updateable(systems, entity), camera(camera), race(race) {}

void LeaderCamera::update(float dt) {
    Updateable::update(dt);
    sinceCheck += dt;
    if (camera == nullptr || race == nullptr || sinceCheck < checkInterval) {
        return;
    }
    sinceCheck = 0.0f;
    const auto& karts = race->karts;
    size_t leader = shown;
    for (size_t i = 0; i < race->positions.size() && i < karts.size(); ++i) {
        if (race->positions[i] == 1) {
            leader = i;
        }
    }
    if (leader == shown || karts[leader] == nullptr) {
        return;
    }
    if (Spawner* previous = karts[shown] != nullptr ? karts[shown]->getComponent<Spawner>() : nullptr) {
        previous->followCamera = nullptr;
    }
    if (Spawner* next = karts[leader]->getComponent<Spawner>()) {
        next->followCamera = camera;
    }
    camera->setTarget(karts[leader]->getComponent<Transform>());
    camera->snapToTarget();
    shown = leader;
}
