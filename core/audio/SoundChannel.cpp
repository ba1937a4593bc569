// Channel calls forward to the mixer that made the voice, if it still exists.
#include "core/audio/SoundChannel.h"

#include "core/audio/SoundMixer.h"

#include <utility>

SoundChannel::SoundChannel(std::weak_ptr<SoundMixer> mixer, std::uint64_t id)
    : mixer(std::move(mixer)), id(id) {}

namespace {

template <typename Call>
SoundResult withMixer(const std::weak_ptr<SoundMixer>& weak, std::uint64_t id, Call call) {
    const std::shared_ptr<SoundMixer> mixer = weak.lock();
    if (!mixer || id == 0)
        return SoundResult::invalidHandle;
    return call(*mixer);
}

} // namespace

SoundResult SoundChannel::setMode(unsigned mode) const {
    if ((mode & (SoundMode::loopNormal | SoundMode::loopOff)) == 0)
        return SoundResult::ok;
    const bool looping = (mode & SoundMode::loopNormal) != 0;
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.setLooping(id, looping); });
}

SoundResult SoundChannel::getMode(unsigned& mode) const {
    bool looping = false;
    const SoundResult result = withMixer(mixer, id, [&](SoundMixer& m) { return m.getLooping(id, looping); });
    mode = looping ? SoundMode::loopNormal : SoundMode::loopOff;
    return result;
}

SoundResult SoundChannel::setPitch(float pitch) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.setPitch(id, pitch); });
}

SoundResult SoundChannel::getPitch(float& pitch) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.getPitch(id, pitch); });
}

SoundResult SoundChannel::setVolume(float volume) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.setVolume(id, volume); });
}

SoundResult SoundChannel::getVolume(float& volume) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.getVolume(id, volume); });
}

SoundResult SoundChannel::setPaused(bool paused) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.setPaused(id, paused); });
}

SoundResult SoundChannel::getPaused(bool& paused) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.getPaused(id, paused); });
}

SoundResult SoundChannel::isPlaying(bool& playing) const {
    playing = false;
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.isPlaying(id, playing); });
}

SoundResult SoundChannel::stop() const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.stop(id); });
}

SoundResult SoundChannel::set3DAttributes(const glm::vec3& position, const glm::vec3&) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.setPosition(id, position); });
}

SoundResult SoundChannel::get3DAttributes(glm::vec3& position) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.getPosition(id, position); });
}

SoundResult SoundChannel::isVirtual(bool& isVirtual) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.isVirtual(id, isVirtual); });
}

SoundResult SoundChannel::getPosition(double& seconds) const {
    return withMixer(mixer, id, [&](SoundMixer& m) { return m.getOffset(id, seconds); });
}
