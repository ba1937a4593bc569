// Decoding through libsndfile. Samples are read as floats so that integer and float
// files convert alike, then mixed down and quantised to 16 bits.
#include "core/audio/SoundDecoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

namespace {

// A corrupt header can claim any length; reading stops here instead (about 25 min at 48 kHz).
constexpr std::size_t maxFrames = std::size_t(1) << 26;
constexpr int maxChannels = 16;
constexpr int chunkFrames = 4096;

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

std::int16_t quantise(float value) {
    const float scaled = std::round(std::clamp(value, -1.0f, 1.0f) * 32767.0f);
    return static_cast<std::int16_t>(scaled);
}

SoundResult openError() {
    return sf_error(nullptr) == SF_ERR_UNRECOGNISED_FORMAT ? SoundResult::format
                                                           : SoundResult::fileBad;
}

void appendFrames(const std::vector<float>& chunk, sf_count_t frames, int inChannels,
                  int outChannels, std::vector<std::int16_t>& out) {
    for (sf_count_t f = 0; f < frames; ++f) {
        const float* frame = chunk.data() + f * inChannels;
        if (outChannels == inChannels) {
            for (int c = 0; c < inChannels; ++c) out.push_back(quantise(frame[c]));
            continue;
        }
        float sum = 0.0f;
        for (int c = 0; c < inChannels; ++c) sum += frame[c];
        out.push_back(quantise(sum / static_cast<float>(inChannels)));
    }
}

}  // namespace

SoundResult SoundDecoder::decode(const std::string& path, bool mono, Pcm& pcm) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return SoundResult::fileNotFound;
    }
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SndFileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) return openError();
    if (info.channels < 1 || info.channels > maxChannels || info.samplerate < 1 ||
        info.samplerate > 384000) {
        return SoundResult::format;
    }
    const int outChannels = (mono || info.channels > 2) ? 1 : info.channels;
    Pcm result;
    result.channels = outChannels;
    result.sampleRate = info.samplerate;
    std::vector<float> chunk(static_cast<std::size_t>(chunkFrames) * info.channels);
    std::size_t total = 0;
    while (total < maxFrames) {
        const sf_count_t got = sf_readf_float(file.get(), chunk.data(), chunkFrames);
        if (got <= 0) break;
        appendFrames(chunk, got, info.channels, outChannels, result.samples);
        total += static_cast<std::size_t>(got);
    }
    if (total == 0) return SoundResult::fileBad;
    pcm = std::move(result);
    return SoundResult::ok;
}
