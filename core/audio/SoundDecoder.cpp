// Decoding through libsndfile. Samples are read as floats so that integer and float
// files convert alike, then mixed down and quantised to 16 bits.
#include "core/audio/SoundDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace {

constexpr int chunkFrames = 4096;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

SoundResult openError() {
    return sf_error(nullptr) == SF_ERR_UNRECOGNISED_FORMAT ? SoundResult::format : SoundResult::fileBad;
}

void appendFrames(const std::vector<float>& chunk, sf_count_t frames, int inChannels, int outChannels,
                  std::vector<std::int16_t>& out) {
    for (sf_count_t f = 0; f < frames; ++f) {
        const float* frame = chunk.data() + f * inChannels;
        if (outChannels == inChannels) {
            for (int c = 0; c < inChannels; ++c)
                out.push_back(SoundDecoder::quantise(frame[c]));
            continue;
        }
        float sum = 0.0f;
        for (int c = 0; c < inChannels; ++c)
            sum += frame[c];
        out.push_back(SoundDecoder::quantise(sum / static_cast<float>(inChannels)));
    }
}

// A read-only view of bytes in memory for libsndfile's virtual I/O.
struct MemoryFile {
    const unsigned char* data;
    sf_count_t size;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return static_cast<MemoryFile*>(user)->size;
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size : 0;
    if (offset < -base || offset > file->size - base)
        return -1;
    file->position = base + offset;
    return file->position;
}

sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t got = std::clamp<sf_count_t>(count, 0, file->size - file->position);
    std::copy_n(file->data + file->position, got, static_cast<unsigned char*>(out));
    file->position += got;
    return got;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

SoundResult decodeOpened(std::unique_ptr<SNDFILE, SndFileCloser> file, const SF_INFO& info, bool mono,
                         SoundDecoder::Pcm& pcm);

} // namespace

SoundResult SoundDecoder::decode(const void* data, std::size_t size, bool mono, Pcm& pcm) {
    if (data == nullptr || size == 0)
        return SoundResult::fileBad;
    MemoryFile memory{static_cast<const unsigned char*>(data), static_cast<sf_count_t>(size)};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!file)
        return openError();
    return decodeOpened(std::move(file), info, mono, pcm);
}

std::int16_t SoundDecoder::quantise(float value) {
    return static_cast<std::int16_t>(std::round(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

SoundResult SoundDecoder::decode(const std::string& path, bool mono, Pcm& pcm) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return SoundResult::fileNotFound;
    }
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file)
        return openError();
    return decodeOpened(std::move(file), info, mono, pcm);
}

namespace {

SoundResult decodeOpened(std::unique_ptr<SNDFILE, SndFileCloser> file, const SF_INFO& info, bool mono,
                         SoundDecoder::Pcm& pcm) {
    if (!SoundDecoder::playable(info.channels, info.samplerate)) {
        return SoundResult::format;
    }
    const int outChannels = (mono || info.channels > 2) ? 1 : info.channels;
    SoundDecoder::Pcm result;
    result.channels = outChannels;
    result.sampleRate = info.samplerate;
    std::vector<float> chunk(static_cast<std::size_t>(chunkFrames) * info.channels);
    std::size_t total = 0;
    while (total < SoundDecoder::maxFrames) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), chunkFrames);
        if (got <= 0)
            break;
        appendFrames(chunk, got, info.channels, outChannels, result.samples);
        total += static_cast<std::size_t>(got);
    }
    if (total == 0)
        return SoundResult::fileBad;
    pcm = std::move(result);
    return SoundResult::ok;
}

} // namespace
