// Physics system start-up and shutdown.
#include "core/physics/Physics.h"

Physics::Physics(SystemRegistry* systems) : System(systems) {}

Physics::~Physics() = default;
