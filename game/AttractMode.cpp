// Leaving the attract race.
#include "game/AttractMode.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "game/RaceFlow.h"

AttractMode::AttractMode(SystemRegistry* systems, Entity* entity, Scene* title, const RaceFlow* race)
    : Updateable(systems, entity), title(title), race(race) {}

void AttractMode::update(float dt) {
    Updateable::update(dt);
    auto* input = systems->get<Input>();
    const bool over = race != nullptr && race->state == RaceFlow::raceOver;
    if ((input != nullptr && input->anyKeyPressed()) || over) {
        systems->get<SceneManager>()->setScene(title);
    }
}
