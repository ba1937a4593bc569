// Reads a whole sound file (WAV, OGG, FLAC and whatever else libsndfile knows) into
// 16-bit PCM, downmixed to mono when asked, so that the mixer can upload it as is.
#pragma once

#include "core/audio/SoundTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SoundDecoder {
public:
    struct Pcm {
        std::vector<std::int16_t> samples; // interleaved frames
        int channels = 0;
        int sampleRate = 0;

        std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
    };

    // A corrupt header can claim any length; reading stops here instead (about 25 min at 48 kHz).
    static constexpr std::size_t maxFrames = std::size_t(1) << 26;
    static constexpr int maxChannels = 16;
    // Whether a file's claimed layout is one the mixer can play.
    static bool playable(int channels, int sampleRate) {
        return channels >= 1 && channels <= maxChannels && sampleRate >= 1 && sampleRate <= 384000;
    }
    // A float sample as 16-bit PCM, clamped to full scale.
    static std::int16_t quantise(float value);

    // Mono is forced for 3D sounds; more than two channels always fold to mono.
    static SoundResult decode(const std::string& path, bool mono, Pcm& pcm);
    // The same from a whole file's bytes in memory.
    static SoundResult decode(const void* data, std::size_t size, bool mono, Pcm& pcm);
};
