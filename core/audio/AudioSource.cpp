// Playback of a Sound on a runtime channel, started paused so that loop mode,
// pitch, volume and position are set before the first sample is heard.
#include "core/audio/AudioSource.h"

#include "core/audio/Audio.h"
#include "core/audio/Sound.h"
#include "core/platform/Log.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

AudioSource::AudioSource(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), audio(systems->get<Audio>()) {}

AudioSource::~AudioSource() {
    unsigned mode = SoundMode::loopOff;
    if (channel.getMode(mode) == SoundResult::ok && (mode & SoundMode::loopNormal) != 0) {
        channel.stop();
    }
}

void AudioSource::play() {
    if (state == paused) {
        channel.setPaused(false);
        return;
    }
    if (state == playing) {
        bool stillPlaying = false;
        channel.isPlaying(stillPlaying);
        if (stillPlaying)
            return;
        state = stopped;
    }
    SoundSystem* soundSystem = audio != nullptr ? audio->soundSystem.get() : nullptr;
    SoundChannel started;
    const SoundResult result =
        soundSystem != nullptr
            ? soundSystem->playSound(sound != nullptr ? sound->clip : nullptr, true, &started)
            : SoundResult::notInitialized;
    if (result != SoundResult::ok) {
        logError("Error setting sound: ", sound != nullptr ? sound->getName() : std::string());
        return;
    }
    channel = started;
    if (channel) {
        channel.setMode(loop ? SoundMode::loopNormal : SoundMode::loopOff);
        channel.setPitch(pitch);
        channel.setVolume(volume);
        placeChannel(false);
    }
    channel.setPaused(false);
    state = playing;
}

void AudioSource::onSceneActive(bool active) {
    if (!active) {
        savedState = state;
        if (state != stopped) {
            channel.stop();
            channel = SoundChannel();
            state = stopped;
        }
    } else if (savedState == playing) {
        play();
    }
}

void AudioSource::update(float dt) {
    Updateable::update(dt);
    placeChannel(true);
}

void AudioSource::placeChannel(bool warn) {
    if (!channel || sound == nullptr || !sound->is3D)
        return;
    Transform* transform = entity != nullptr ? entity->getComponent<Transform>() : nullptr;
    if (transform == nullptr) {
        if (warn) {
            logWarning("Wanted to set 3D sound attributes, but no transform component was found.");
        }
        return;
    }
    transform->refresh();
    // No Doppler shift from motion: the velocity is always zero.
    channel.set3DAttributes(transform->getWorldPosition(), glm::vec3(0.0f));
}
