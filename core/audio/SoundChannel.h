// A handle on one playing voice of the sound runtime. Copyable and cheap; once its
// sound has ended or been stopped (or the system closed) every call answers
// SoundResult::invalidHandle and isPlaying reports false, so a kept handle is safe.
#pragma once

#include "core/audio/SoundTypes.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <memory>

class SoundMixer;

class SoundChannel {
public:
    SoundChannel() = default;

    // True when the handle came from playSound, whether or not the voice still plays.
    explicit operator bool() const { return id != 0; }

    // SoundMode::loopNormal or SoundMode::loopOff; other bits are ignored.
    SoundResult setMode(unsigned mode) const;
    SoundResult getMode(unsigned& mode) const;
    SoundResult setPitch(float pitch) const;
    SoundResult getPitch(float& pitch) const;
    // 1 is the file's level; values above 1 amplify (up to 16).
    SoundResult setVolume(float volume) const;
    SoundResult getVolume(float& volume) const;
    SoundResult setPaused(bool paused) const;
    SoundResult getPaused(bool& paused) const;
    // A paused voice still counts as playing; an ended or stopped one does not.
    SoundResult isPlaying(bool& playing) const;
    SoundResult stop() const;
    // Velocity is accepted for completeness and ignored: there is no Doppler shift.
    SoundResult set3DAttributes(const glm::vec3& position, const glm::vec3& velocity) const;
    SoundResult get3DAttributes(glm::vec3& position) const;
    // True while the voice runs without an output source (too quiet to be mixed).
    SoundResult isVirtual(bool& isVirtual) const;
    // Seconds into the clip.
    SoundResult getPosition(double& seconds) const;

private:
    friend class SoundSystem;
    SoundChannel(std::weak_ptr<SoundMixer> mixer, std::uint64_t id);

    std::weak_ptr<SoundMixer> mixer;
    std::uint64_t id = 0;
};
