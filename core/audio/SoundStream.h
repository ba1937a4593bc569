// Plays a long 2D clip (music) from its file in a few short queued buffers instead
// of one buffer holding the whole track: a stream decodes the next chunk whenever
// the output has played one, wrapping to the start while its voice loops. Private
// to core/audio; the mixer gives one to each streamed voice that holds a source.
#pragma once

#include "core/audio/SoundTypes.h"

#include <AL/al.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SoundStream {
public:
    // What a clip needs to know about a file before it is streamed.
    struct Info {
        int channels = 0; // of the file
        int sampleRate = 0;
        std::size_t frames = 0;
    };
    // Opens the file once to check that it decodes and to read its length.
    static SoundResult probe(const std::string& path, Info& info);

    SoundStream() = default;
    ~SoundStream();
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // Starts decoding at `seconds` into the file and queues the first chunks on `source`
    // (which must have no buffer). False when the file no longer opens.
    bool start(const std::string& path, double seconds, bool looping, ALuint source);
    // Hands the buffers the output has played back to the decoder and queues what it
    // decodes; a source that ran dry before all was queued plays on. Allocates nothing.
    void refill(ALuint source, bool looping, bool paused);
    // True once the file has ended (not looping) and the source has played it all.
    bool drained(ALuint source) const;
    // Seconds into the file of what the source plays now.
    double offset(ALuint source) const;
    // Stops the source and takes every buffer back off it.
    void stop(ALuint source);

    // Frames per queued buffer and buffers per stream: about 2.7 s queued at 48 kHz
    // (0.5 MB of 16-bit stereo), well over the race's loading, the longest stretch
    // the main thread goes without an update while the title's music plays.
    static constexpr int chunkFrames = 32768;
    static constexpr int bufferCount = 4;

private:
    struct FileCloser {
        void operator()(void* file) const;
    };

    // Decodes the next chunk into `pcm`; the frames written (0 once the file ends
    // and the voice does not loop).
    int decodeChunk(bool looping);
    bool queueNext(ALuint source, bool looping);

    std::unique_ptr<void, FileCloser> file;
    int fileChannels = 0;
    int sampleRate = 0;
    std::size_t length = 0;
    std::size_t readPosition = 0; // frame of the file the decoder reads next
    bool ended = false;
    std::array<ALuint, bufferCount> buffers{};
    // Frame of the file each queued buffer starts at, by ring slot.
    std::array<std::size_t, bufferCount> queuedStart{};
    int queued = 0;
    int firstQueued = 0; // index into queuedStart of the oldest queued buffer
    std::vector<float> decoded;
    std::vector<std::int16_t> pcm;
};
