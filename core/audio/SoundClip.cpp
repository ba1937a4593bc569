// Clip metadata; the samples themselves live in the output's buffer.
#include "core/audio/SoundClip.h"

#include "core/audio/SoundTypes.h"

#include <utility>

SoundClip::SoundClip(std::string path, unsigned mode, int channels, int sampleRate, std::size_t frames)
    : path(std::move(path)), mode(mode), channels(channels), sampleRate(sampleRate), frames(frames) {}

bool SoundClip::is3D() const {
    return (mode & SoundMode::threeD) != 0;
}

double SoundClip::getLength() const {
    return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0;
}
