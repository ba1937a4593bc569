// The system object forwards to its mixer once initialised.
#include "core/audio/SoundSystem.h"

#include "core/audio/SoundMixer.h"

#include <new>

SoundResult SoundSystem::create(std::unique_ptr<SoundSystem>& system) {
    system.reset(new (std::nothrow) SoundSystem());
    return system ? SoundResult::ok : SoundResult::memory;
}

SoundSystem::~SoundSystem() {
    close();
}

SoundResult SoundSystem::setRealVoiceLimit(int count) {
    if (mixer)
        return SoundResult::alreadyInitialized;
    if (count < 0)
        return SoundResult::invalidParam;
    realVoiceLimit = count;
    return SoundResult::ok;
}

SoundResult SoundSystem::init(int maxVoices, unsigned flags) {
    if (mixer)
        return SoundResult::alreadyInitialized;
    auto made = std::make_shared<SoundMixer>();
    const SoundResult result = made->open(maxVoices, flags, realVoiceLimit);
    if (result == SoundResult::ok)
        mixer = std::move(made);
    return result;
}

SoundResult SoundSystem::set3DSettings(float dopplerScale, float distanceFactor, float rolloffScale) {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->setSettings(dopplerScale, distanceFactor, rolloffScale);
}

SoundResult SoundSystem::createSound(const std::string& path, unsigned mode, SoundClip** clip) {
    if (!clip)
        return SoundResult::invalidParam;
    *clip = nullptr;
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->createClip(path, mode, *clip);
}

SoundResult SoundSystem::playSound(SoundClip* clip, bool paused, SoundChannel* channel) {
    if (channel)
        *channel = SoundChannel();
    if (!mixer)
        return SoundResult::notInitialized;
    std::uint64_t id = 0;
    const SoundResult result = mixer->play(clip, paused, id);
    if (result == SoundResult::ok && channel)
        *channel = SoundChannel(mixer, id);
    return result;
}

SoundResult SoundSystem::set3DNumListeners(int count) {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->setListenerCount(count);
}

SoundResult SoundSystem::get3DNumListeners(int& count) const {
    if (!mixer)
        return SoundResult::notInitialized;
    count = mixer->getListenerCount();
    return SoundResult::ok;
}

SoundResult SoundSystem::set3DListenerAttributes(int index, const glm::vec3& position, const glm::vec3&,
                                                 const glm::vec3& forward, const glm::vec3& up) {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->setListener(index, position, forward, up);
}

SoundResult SoundSystem::get3DListenerAttributes(int index, glm::vec3& position, glm::vec3& forward,
                                                 glm::vec3& up) const {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->getListener(index, position, forward, up);
}

SoundResult SoundSystem::update() {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->update();
}

SoundResult SoundSystem::close() {
    if (!mixer)
        return SoundResult::notInitialized;
    mixer.reset();
    return SoundResult::ok;
}

SoundResult SoundSystem::render(float* interleavedStereo, int frames) {
    if (!mixer)
        return SoundResult::notInitialized;
    return mixer->render(interleavedStereo, frames);
}

bool SoundSystem::isSilent() const {
    return !mixer || mixer->isSilent();
}

int SoundSystem::getRealVoiceCount() const {
    return mixer ? mixer->getRealVoiceCount() : 0;
}

int SoundSystem::getPlayingCount() const {
    return mixer ? mixer->getActiveVoiceCount() : 0;
}

int SoundSystem::getSampleRate() const {
    return mixer ? mixer->getSampleRate() : 0;
}
