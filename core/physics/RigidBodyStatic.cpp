// Static bodies.
#include "core/physics/RigidBodyStatic.h"

RigidBodyStatic::RigidBodyStatic(SystemRegistry* systems, Entity* entity)
    : RigidBody(systems, entity, false) {}
