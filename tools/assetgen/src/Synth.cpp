// See Synth.h.
#include "Synth.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr int tableSize = 2048;

// Tables per wave and partial count, built on first use.
const std::vector<float>& sharedTable(Synth::Wave wave, int partials) {
    static std::mutex lock;
    static std::map<std::pair<int, int>, std::unique_ptr<std::vector<float>>> tables;
    const std::lock_guard<std::mutex> guard(lock);
    auto& slot = tables[{static_cast<int>(wave), partials}];
    if (!slot) {
        slot = std::make_unique<std::vector<float>>(tableSize, 0.0f);
        for (int i = 0; i < tableSize; ++i) {
            const float phase = glm::two_pi<float>() * static_cast<float>(i) / tableSize;
            float v = 0.0f;
            for (int h = 1; h <= partials; ++h) {
                const float fh = static_cast<float>(h);
                switch (wave) {
                case Synth::Wave::Saw:
                    v += std::sin(fh * phase) / fh;
                    break;
                case Synth::Wave::Square:
                    v += (h % 2 == 1) ? std::sin(fh * phase) / fh : 0.0f;
                    break;
                case Synth::Wave::Triangle:
                    v += (h % 2 == 1) ? ((h / 2) % 2 == 0 ? 1.0f : -1.0f) * std::sin(fh * phase) / (fh * fh)
                                      : 0.0f;
                    break;
                case Synth::Wave::Sine:
                    v = std::sin(phase);
                    break;
                }
            }
            (*slot)[i] = v;
        }
        float peak = 0.0f;
        for (float v : *slot)
            peak = std::max(peak, std::abs(v));
        for (float& v : *slot)
            v /= peak;
    }
    return *slot;
}

} // namespace

Synth::Table Synth::table(Wave wave, float frequency) {
    // Round the partial count to powers of two so only a few tables exist.
    int partials = 1;
    while (wave != Wave::Sine && partials * 2 * frequency < 16000.0f && partials < 128)
        partials *= 2;
    return Table(&sharedTable(wave, partials));
}

float Synth::Table::operator()(float phaseCycles) const {
    const std::vector<float>& t = *samples;
    const float position = (phaseCycles - std::floor(phaseCycles)) * tableSize;
    const int i = static_cast<int>(position) % tableSize;
    const float f = position - std::floor(position);
    return t[i] + (t[(i + 1) % tableSize] - t[i]) * f;
}

float Synth::noteFrequency(float note) {
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

void Synth::lowPass(std::vector<float>& buffer, float cutoff, bool loop) {
    const float a = 1.0f - std::exp(-glm::two_pi<float>() * cutoff / rate);
    float state = 0.0f;
    for (int pass = loop ? 0 : 1; pass < 2; ++pass) {
        for (float& v : buffer) {
            state += a * (v - state);
            if (pass == 1)
                v = state;
        }
    }
}

void Synth::highPass(std::vector<float>& buffer, float cutoff, bool loop) {
    std::vector<float> low = buffer;
    lowPass(low, cutoff, loop);
    for (size_t i = 0; i < buffer.size(); ++i)
        buffer[i] -= low[i];
}

void Synth::bandPass(std::vector<float>& buffer, float centre, float q, bool loop) {
    const float f = 2.0f * std::sin(glm::pi<float>() * centre / rate);
    const float damping = 1.0f / q;
    float low = 0.0f, band = 0.0f;
    for (int pass = loop ? 0 : 1; pass < 2; ++pass) {
        for (float& v : buffer) {
            low += f * band;
            const float high = v - low - damping * band;
            band += f * high;
            if (pass == 1)
                v = band;
        }
    }
}

std::vector<float> Synth::whiteNoise(size_t length, uint64_t seed) {
    Rng rng(seed, 3);
    std::vector<float> out(length);
    for (float& v : out)
        v = rng.signedUnit();
    return out;
}

void Synth::fadeEdges(std::vector<float>& buffer, float fadeIn, float fadeOut) {
    const size_t in = static_cast<size_t>(fadeIn * rate), out = static_cast<size_t>(fadeOut * rate);
    for (size_t i = 0; i < in && i < buffer.size(); ++i)
        buffer[i] *= static_cast<float>(i) / static_cast<float>(in);
    for (size_t i = 0; i < out && i < buffer.size(); ++i)
        buffer[buffer.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(out);
}

void Synth::normalise(std::vector<float>& buffer, float peak) {
    float loudest = 0.0f;
    for (float v : buffer)
        loudest = std::max(loudest, std::abs(v));
    if (loudest <= 0.0f)
        return;
    const float gain = peak / loudest;
    for (float& v : buffer)
        v *= gain;
}
