// A body that never moves: track meshes, walls, checkpoint triggers. Its pose is
// the entity's world pose when the component is added.
#pragma once

#include "core/physics/RigidBody.h"

class RigidBodyStatic : public RigidBody {
public:
    RigidBodyStatic(SystemRegistry* systems, Entity* entity);
};
