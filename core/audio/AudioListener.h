// A component that tells the sound runtime where one listener is each frame. Every
// listener ever created gets the next index (split-screen cameras each have one),
// and the runtime is told how many there are.
#pragma once

#include "core/runtime/Updateable.h"

class Audio;

class AudioListener : public Updateable {
public:
    AudioListener(SystemRegistry* systems, Entity* entity);

    void update(float dt) override;

    int index;

    // Listeners created so far in this process; indices are never given back.
    static int counter;

private:
    Audio* audio;
};
