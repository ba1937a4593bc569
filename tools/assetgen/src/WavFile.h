// Writes 16-bit PCM WAV files through libsndfile (what the engine reads them with).
#pragma once

#include <string>
#include <vector>

class WavFile {
public:
    static constexpr int sampleRate = 44100;
    // samples: interleaved, in [-1, 1]; logs and returns false on failure.
    static bool write(const std::string& path, const std::vector<float>& samples, int channels);
};
