// A component that plays one Sound on one channel with its own loop flag, pitch
// and volume, and keeps a 3D sound at its entity's position. It stops with its
// scene and starts again from the beginning when the scene runs again.
#pragma once

#include "core/audio/SoundChannel.h"
#include "core/runtime/Updateable.h"

class Audio;
class Sound;

class AudioSource : public Updateable {
public:
    enum State : int { playing = 0, stopped = 1, paused = 2 };

    AudioSource(SystemRegistry* systems, Entity* entity);
    // A looping sound stops with its source; a one-shot plays out.
    ~AudioSource() override;

    void onSceneActive(bool active) override;
    void update(float dt) override;

    // Starts the sound, or resumes it when its channel was paused; a sound that is
    // still playing is left alone, one that has finished starts again.
    void play();

    State state = stopped;
    State savedState = stopped;
    Audio* audio;
    Sound* sound = nullptr;
    // Game code may adjust a playing sound here directly (mode, pitch, volume).
    SoundChannel channel;
    bool loop = false;
    float pitch = 1.0f;
    float volume = 1.0f;

private:
    void placeChannel(bool warn);
};
