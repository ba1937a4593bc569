// Ends the title's AI-only race: any key, or the race being over, goes back to
// the title scene.
#pragma once

#include "core/runtime/Updateable.h"

class RaceFlow;
class Scene;

class AttractMode : public Updateable {
public:
    AttractMode(SystemRegistry* systems, Entity* entity, Scene* title, const RaceFlow* race);

    void update(float dt) override;

    Scene* title = nullptr;
    const RaceFlow* race = nullptr;
};
