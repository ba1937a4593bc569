// Helpers for the sound tests: writing small WAV files, an audio system mixing
// into memory, and measuring rendered mixes (levels per channel, tone strength,
// frequency).
#pragma once

#include "core/audio/Audio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace audiotest {

constexpr double pi = 3.14159265358979323846;

// A scratch folder per test process, removed when the process exits.
inline std::filesystem::path scratchDir() {
    struct Scratch {
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("tw_audio_" + std::to_string(static_cast<long>(::getpid())));
        Scratch() { std::filesystem::create_directories(path); }
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Scratch scratch;
    return scratch.path;
}

// Little-endian, as WAV wants it.
inline void put(std::ofstream& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((v >> (8 * i)) & 0xff));
}

// 16-bit PCM WAV from interleaved samples in [-1, 1].
inline std::string writeWav(const std::string& name, const std::vector<float>& samples, int channels,
                            int rate) {
    const std::string path = (scratchDir() / name).string();
    std::ofstream out(path, std::ios::binary);
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto c = static_cast<std::uint32_t>(channels);
    const auto r = static_cast<std::uint32_t>(rate);
    out.write("RIFF", 4);
    put(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    for (const auto& [value, size] :
         {std::pair{16u, 4}, {1u, 2}, {c, 2}, {r, 4}, {r * c * 2, 4}, {c * 2, 2}, {16u, 2}}) {
        put(out, value, size);
    }
    out.write("data", 4);
    put(out, bytes, 4);
    for (float s : samples) {
        put(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(s * 32767.0f))), 2);
    }
    return path;
}

// A sine tone; with two channels the right one carries `rightScale` times the left.
inline std::string writeTone(const std::string& name, double frequency, double seconds, int channels = 1,
                             int rate = 48000, float amplitude = 0.5f, float rightScale = 1.0f) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const float v = amplitude * static_cast<float>(std::sin(2.0 * pi * frequency * i / rate));
        samples.push_back(v);
        if (channels == 2)
            samples.push_back(v * rightScale);
    }
    return writeWav(name, samples, channels, rate);
}

inline std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = (scratchDir() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// Gives audio a sound runtime that mixes into memory at 48 kHz through the
// loopback device, so time passes only when a test renders.
inline void mixIntoMemory(Audio& audio) {
    std::unique_ptr<SoundSystem> loopback;
    SoundSystem::create(loopback);
    loopback->init(Audio::maxVoices, SoundInit::rightHanded3D | SoundInit::loopback);
    loopback->set3DSettings(1.0f, 1.0f, 1.0f);
    audio.soundSystem = std::move(loopback);
}

// The next stretch of audio's mix, as interleaved stereo.
inline std::vector<float> renderMix(Audio& audio, double seconds) {
    std::vector<float> mix(static_cast<std::size_t>(seconds * 48000) * 2);
    audio.soundSystem->render(mix.data(), static_cast<int>(mix.size() / 2));
    return mix;
}

// The left or right channel of interleaved stereo.
inline std::vector<float> side(const std::vector<float>& stereo, std::size_t which) {
    std::vector<float> out;
    for (std::size_t i = which; i < stereo.size(); i += 2)
        out.push_back(stereo[i]);
    return out;
}

inline std::vector<float> leftOf(const std::vector<float>& stereo) {
    return side(stereo, 0);
}
inline std::vector<float> rightOf(const std::vector<float>& stereo) {
    return side(stereo, 1);
}

inline double rms(const std::vector<float>& samples) {
    double sum = 0.0;
    for (float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

// Amplitude of one frequency (Goertzel), comparable between tones of one length.
inline double toneLevel(const std::vector<float>& samples, double frequency, int rate) {
    const double w = 2.0 * pi * frequency / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (float x : samples) {
        const double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / samples.size();
}

// Frequency from rising zero crossings.
inline double frequency(const std::vector<float>& samples, int rate) {
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f)
            ++crossings;
    }
    return crossings * double(rate) / samples.size();
}

} // namespace audiotest
