// See WavFile.h.
#include "WavFile.h"

#include "Output.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

bool WavFile::write(const std::string& path, const std::vector<float>& samples, int channels) {
    if (!Output::makeParentDirs(path))
        return false;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        Output::fail("Cannot write sound " + path + ": " + sf_strerror(nullptr));
        return false;
    }
    // Convert here rather than in libsndfile so that rounding is ours and fixed.
    std::vector<short> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        pcm[i] = static_cast<short>(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    const sf_count_t frames = static_cast<sf_count_t>(samples.size() / static_cast<size_t>(channels));
    const bool ok = sf_writef_short(file, pcm.data(), frames) == frames;
    sf_close(file);
    if (!ok)
        Output::fail("Cannot write all of " + path);
    return ok;
}
