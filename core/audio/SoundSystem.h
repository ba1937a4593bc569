// The sound runtime's system object: output, clips, voices and listeners. Create it,
// init it once, make clips with createSound, play them with playSound (paused, so
// the channel can be set up before it is heard), call update once per frame, close.
// Without a sound card init still succeeds and everything runs silently on the clock.
#pragma once

#include "core/audio/SoundChannel.h"
#include "core/audio/SoundClip.h"
#include "core/audio/SoundTypes.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>

class SoundMixer;

class SoundSystem {
public:
    static SoundResult create(std::unique_ptr<SoundSystem>& system);
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Caps the output sources asked for (before init); the rest of the voices run virtual.
    SoundResult setRealVoiceLimit(int count);
    // maxVoices virtual voices (1..4095); flags from SoundInit.
    SoundResult init(int maxVoices, unsigned flags);
    // Doppler scale is accepted and unused (velocities are always zero); distance factor
    // is units per metre; roll-off scale multiplies the inverse-distance roll-off.
    SoundResult set3DSettings(float dopplerScale, float distanceFactor, float rolloffScale);

    // Mode: SoundMode::twoD or SoundMode::threeD (3D clips are mixed down to mono),
    // optionally with a loop bit that becomes the default of its channels.
    // The clip belongs to the system and stays valid until close.
    SoundResult createSound(const std::string& path, unsigned mode, SoundClip** clip);
    SoundResult playSound(SoundClip* clip, bool paused, SoundChannel* channel);

    SoundResult set3DNumListeners(int count);
    SoundResult get3DNumListeners(int& count) const;
    // Velocity is ignored. Listeners no longer set each frame drop out of the placement.
    SoundResult set3DListenerAttributes(int index, const glm::vec3& position, const glm::vec3& velocity,
                                        const glm::vec3& forward, const glm::vec3& up);
    SoundResult get3DListenerAttributes(int index, glm::vec3& position, glm::vec3& forward,
                                        glm::vec3& up) const;

    SoundResult update();
    SoundResult close();

    // Loopback output only: mixes the next frames into interleaved stereo floats.
    SoundResult render(float* interleavedStereo, int frames);

    bool isInitialized() const { return mixer != nullptr; }
    // No output device: sound is kept in time but never heard.
    bool isSilent() const;
    int getRealVoiceCount() const;
    int getPlayingCount() const;
    int getSampleRate() const;

private:
    SoundSystem() = default;

    int realVoiceLimit = -1;
    std::shared_ptr<SoundMixer> mixer;
};
