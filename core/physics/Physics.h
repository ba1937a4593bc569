// The engine-wide physics system. Each scene owns its own PhysicsWorld; this
// system installs the simulation hooks that all worlds share.
#pragma once

#include "core/runtime/System.h"

class Physics : public System {
public:
    explicit Physics(SystemRegistry* systems);
    ~Physics() override;
};
