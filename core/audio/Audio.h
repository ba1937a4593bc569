// The audio system: owns the sound runtime and updates it once per frame.
#pragma once

#include "core/runtime/System.h"

class Audio : public System {
public:
    explicit Audio(SystemRegistry* systems);
    ~Audio() override;

    void update();
};
