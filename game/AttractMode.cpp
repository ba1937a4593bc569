// Leaving the attract race.
#include "game/AttractMode.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "game/RaceFlow.h"

AttractMode::AttractMode(SystemRegistry* systems, Entity* entity, Scene* title)
    : Updateable(systems, entity), title(title) {}

void AttractMode::update(float dt) {
    Updateable::update(dt);
    auto* input = systems->get<Input>();
    Entity* holder = entity->scene->findEntity("gameplay");
    const RaceFlow* gameplay = holder != nullptr ? holder->getComponent<RaceFlow>() : nullptr;
    const bool over = gameplay != nullptr && gameplay->state == RaceFlow::raceOver;
    if ((input != nullptr && input->anyKeyPressed()) || over) {
        systems->get<SceneManager>()->setScene(title);
    }
}
