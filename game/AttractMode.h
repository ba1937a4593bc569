// Ends the title's AI-only race: any key, or the race being over, goes back to
// the title scene.
#pragma once

#include "core/runtime/Updateable.h"

class Scene;

class AttractMode : public Updateable {
public:
    AttractMode(SystemRegistry* systems, Entity* entity, Scene* title);

    void update(float dt) override;

    Scene* title = nullptr;
};
