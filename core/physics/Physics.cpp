// Physics system start-up and shutdown.
#include "core/physics/Physics.h"

#include "core/physics/WorldState.h"

Physics::Physics(SystemRegistry* systems) : System(systems) {
    installSimulationHooks();
}

Physics::~Physics() = default;
