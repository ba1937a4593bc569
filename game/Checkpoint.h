// Marks a trigger body on the track with its place in the lap (0: start/finish line).
#pragma once

#include "core/runtime/Component.h"

class Checkpoint : public Component {
public:
    using Component::Component;

    // Set by the scene builder; -1 until then.
    int index = -1;
};
