// Streaming through libsndfile into a ring of OpenAL buffers. The buffers leave the
// source in the order they were queued, so the ring's oldest entry always names the
// buffer OpenAL hands back next and the file frame the source is playing from.
#include "core/audio/SoundStream.h"

#include "core/audio/SoundDecoder.h"

#include <sndfile.h>

#include <algorithm>

namespace {

SNDFILE* openFile(const std::string& path, SF_INFO& info) {
    info = SF_INFO{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return nullptr;
    }
    if (!SoundDecoder::playable(info.channels, info.samplerate) || info.frames <= 0) {
        sf_close(file);
        return nullptr;
    }
    return file;
}

std::size_t lengthOf(const SF_INFO& info) {
    return std::min(static_cast<std::size_t>(info.frames), SoundDecoder::maxFrames);
}

} // namespace

void SoundStream::FileCloser::operator()(void* opened) const {
    sf_close(static_cast<SNDFILE*>(opened));
}

SoundResult SoundStream::probe(const std::string& path, Info& info) {
    SF_INFO header{};
    SNDFILE* file = openFile(path, header);
    if (file == nullptr) {
        return SoundResult::fileBad;
    }
    float frame[SoundDecoder::maxChannels];
    const sf_count_t got = sf_readf_float(file, frame, 1);
    sf_close(file);
    if (got != 1) {
        return SoundResult::fileBad;
    }
    info.channels = header.channels;
    info.sampleRate = header.samplerate;
    info.frames = lengthOf(header);
    return SoundResult::ok;
}

SoundStream::~SoundStream() {
    if (buffers[0] != 0) {
        alDeleteBuffers(bufferCount, buffers.data());
    }
}

bool SoundStream::start(const std::string& path, double seconds, bool looping, ALuint source) {
    SF_INFO info{};
    file.reset(openFile(path, info));
    ended = file == nullptr;
    if (ended) {
        return false;
    }
    fileChannels = info.channels;
    sampleRate = info.samplerate;
    length = lengthOf(info);
    auto from = static_cast<std::size_t>(std::max(0.0, seconds) * sampleRate);
    if (from >= length) {
        if (!looping) {
            ended = true;
            return true;
        }
        from %= length;
    }
    readPosition =
        sf_seek(static_cast<SNDFILE*>(file.get()), static_cast<sf_count_t>(from), SEEK_SET) < 0 ? 0 : from;
    decoded.resize(static_cast<std::size_t>(chunkFrames) * fileChannels);
    pcm.resize(static_cast<std::size_t>(chunkFrames) * 2);
    alGenBuffers(bufferCount, buffers.data());
    queued = 0;
    firstQueued = 0;
    while (queued < bufferCount && queueNext(source, looping)) {
    }
    return true;
}

int SoundStream::decodeChunk(bool looping) {
    auto* opened = static_cast<SNDFILE*>(file.get());
    int got = 0;
    bool wrappedEmpty = false;
    while (got < chunkFrames && !ended) {
        const auto left = static_cast<sf_count_t>(length - std::min(readPosition, length));
        const sf_count_t want = std::min<sf_count_t>(chunkFrames - got, left);
        const sf_count_t read =
            want > 0
                ? sf_readf_float(opened, decoded.data() + static_cast<std::size_t>(got) * fileChannels, want)
                : 0;
        if (read > 0) {
            got += static_cast<int>(read);
            readPosition += static_cast<std::size_t>(read);
            wrappedEmpty = false;
            continue;
        }
        // The end of the file (or of what it really holds): loop back or stop.
        if (!looping || wrappedEmpty || sf_seek(opened, 0, SEEK_SET) < 0) {
            ended = true;
            break;
        }
        readPosition = 0;
        wrappedEmpty = true;
    }
    // 2D sounds go out as stereo: a mono file on both sides, more than two channels folded to one.
    for (int f = 0; f < got; ++f) {
        const float* in = decoded.data() + static_cast<std::size_t>(f) * fileChannels;
        std::int16_t* out = pcm.data() + static_cast<std::size_t>(f) * 2;
        if (fileChannels == 2) {
            out[0] = SoundDecoder::quantise(in[0]);
            out[1] = SoundDecoder::quantise(in[1]);
            continue;
        }
        float sum = 0.0f;
        for (int c = 0; c < fileChannels; ++c) {
            sum += in[c];
        }
        out[0] = out[1] = SoundDecoder::quantise(sum / static_cast<float>(fileChannels));
    }
    return got;
}

bool SoundStream::queueNext(ALuint source, bool looping) {
    const int slot = (firstQueued + queued) % bufferCount;
    const std::size_t begin = readPosition;
    const int frames = decodeChunk(looping);
    if (frames == 0) {
        return false;
    }
    alBufferData(buffers[slot], AL_FORMAT_STEREO16, pcm.data(),
                 frames * 2 * static_cast<int>(sizeof(std::int16_t)), sampleRate);
    alSourceQueueBuffers(source, 1, &buffers[slot]);
    queuedStart[slot] = begin;
    ++queued;
    return true;
}

void SoundStream::refill(ALuint source, bool looping, bool paused) {
    if (!file) {
        return;
    }
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && queued > 0; --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        firstQueued = (firstQueued + 1) % bufferCount;
        --queued;
    }
    // A voice looped again after its file ended reads on from the start.
    if (ended && looping && queued < bufferCount) {
        ended = sf_seek(static_cast<SNDFILE*>(file.get()), 0, SEEK_SET) < 0;
        readPosition = 0;
    }
    while (queued < bufferCount && !ended && queueNext(source, looping)) {
    }
    if (paused || queued == 0) {
        return;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) {
        alSourcePlay(source);
    }
}

bool SoundStream::drained(ALuint source) const {
    if (!ended) {
        return false;
    }
    if (queued == 0) {
        return true;
    }
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state == AL_STOPPED;
}

double SoundStream::offset(ALuint source) const {
    if (sampleRate <= 0) {
        return 0.0;
    }
    if (queued == 0 || length == 0) {
        return static_cast<double>(readPosition) / sampleRate;
    }
    ALint played = 0;
    alGetSourcei(source, AL_SAMPLE_OFFSET, &played);
    const std::size_t frame =
        (queuedStart[firstQueued] + static_cast<std::size_t>(std::max(0, played))) % length;
    return static_cast<double>(frame) / sampleRate;
}

void SoundStream::stop(ALuint source) {
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    queued = 0;
    firstQueued = 0;
}
