// The engine-wide physics system. Each scene owns its own PhysicsWorld; this
// system holds what the worlds share.
#pragma once

#include "core/runtime/System.h"

class Physics : public System {
public:
    explicit Physics(SystemRegistry* systems);
    ~Physics() override;
};
