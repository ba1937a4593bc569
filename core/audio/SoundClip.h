// A sound held by the sound runtime: what SoundSystem::createSound makes and
// SoundSystem::playSound plays. The system owns every clip until it is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class SoundClip {
public:
    SoundClip(const SoundClip&) = delete;
    SoundClip& operator=(const SoundClip&) = delete;

    const std::string& getPath() const { return path; }
    // The mode it was created with: 2D or 3D, plus the loop mode new channels start in.
    unsigned getMode() const { return mode; }
    bool is3D() const;
    // Channels as played: 3D clips are mono, 2D clips stereo.
    int getChannels() const { return channels; }
    int getSampleRate() const { return sampleRate; }
    std::size_t getFrames() const { return frames; }
    double getLength() const;
    // Long 2D clips (music) play from their file through a few queued buffers.
    bool isStreamed() const { return streamed; }

private:
    friend class SoundMixer;
    SoundClip(std::string path, unsigned mode, int channels, int sampleRate, std::size_t frames);

    std::string path;
    unsigned mode;
    int channels;
    int sampleRate;
    std::size_t frames;
    std::uint32_t buffer = 0; // the output's buffer name; 0 when playing silently or streamed
    bool streamed = false;
};
