// See SoundEffects.h. Loops last exactly two seconds; every partial in them
// makes a whole number of cycles in that time, and their noise is filtered
// around the loop, so the last sample leads smoothly into the first.
#include "SoundEffects.h"

#include "Rng.h"
#include "Synth.h"
#include "WavFile.h"

#include <glm/gtc/constants.hpp>

#include <cmath>
#include <vector>

namespace {

constexpr float loopSeconds = 2.0f;
const size_t loopLength = static_cast<size_t>(loopSeconds * Synth::rate);
const float twoPi = glm::two_pi<float>();

size_t samplesFor(float seconds) {
    return static_cast<size_t>(seconds * Synth::rate);
}
// The fractional number of cycles of frequency f after sample i, computed in
// double so that long loops keep their phase exact.
float cycles(double f, size_t i) {
    const double c = f * static_cast<double>(i) / static_cast<double>(Synth::rate);
    return static_cast<float>(c - std::floor(c));
}
float timeOf(size_t i) {
    return static_cast<float>(i) / Synth::rate;
}

void save(const std::string& outDir, const std::string& name, std::vector<float>& samples, float peak) {
    Synth::normalise(samples, peak);
    WavFile::write(outDir + "/sounds/" + name, samples, 1);
}

struct EngineVoice {
    int firingCycles; // firing frequency x loop length: must be even (half-rate lump)
    float formant;    // resonance of the exhaust, Hz
    float lumpiness;  // depth of the half-rate modulation
    float noise;      // combustion noise level
    float evenHarmonics;
    uint64_t seed;
};

std::vector<float> engine(const EngineVoice& e) {
    std::vector<float> out(loopLength, 0.0f);
    const float f0 = static_cast<float>(e.firingCycles) / loopSeconds;
    Rng rng(e.seed);
    for (int h = 1; h * f0 < 4500.0f; ++h) {
        const float f = static_cast<float>(h) * f0;
        float amp = std::pow(static_cast<float>(h), -0.85f) *
                    (1.0f + 1.8f * std::exp(-std::pow((f - e.formant) / 220.0f, 2.0f)));
        if (h % 2 == 0)
            amp *= e.evenHarmonics;
        const float phase = rng.uniform() * twoPi;
        for (size_t i = 0; i < loopLength; ++i)
            out[i] += amp * std::sin(twoPi * cycles(f, i) + phase);
    }
    // Combustion noise in bursts, one per firing.
    std::vector<float> noise = Synth::whiteNoise(loopLength, e.seed + 1);
    Synth::bandPass(noise, e.formant * 2.0f, 1.5f, true);
    const float lumpPhase = rng.uniform() * twoPi;
    for (size_t i = 0; i < loopLength; ++i) {
        const float burst = std::pow(0.5f + 0.5f * std::cos(twoPi * cycles(f0, i)), 6.0f);
        out[i] += e.noise * 3.0f * noise[i] * burst;
        // Uneven cylinders: every other firing a little stronger; and a slow
        // wobble, three times per loop.
        out[i] *= (1.0f + e.lumpiness * std::sin(twoPi * cycles(0.5 * f0, i) + lumpPhase)) *
                  (1.0f + 0.05f * std::sin(twoPi * cycles(1.5, i)));
    }
    return out;
}

// Tyre squeal, written four times higher than it should sound: the game plays
// it at pitch 0.25.
std::vector<float> skid() {
    std::vector<float> out(loopLength, 0.0f);
    struct Squeal {
        float frequency, vibratoRate, vibratoDepth, level;
    };
    // Frequencies and vibrato rates are multiples of 0.5 Hz: whole cycles per loop.
    const Squeal squeals[] = {
        {2404.0f, 4.0f, 70.0f, 1.0f}, {3611.5f, 6.5f, 90.0f, 0.45f}, {4808.0f, 4.0f, 140.0f, 0.25f}};
    for (const Squeal& s : squeals) {
        const float beta = s.vibratoDepth / s.vibratoRate;
        for (size_t i = 0; i < loopLength; ++i) {
            const float phase =
                twoPi * cycles(s.frequency, i) + beta * std::sin(twoPi * cycles(s.vibratoRate, i));
            // The squeal swells and fades a little, 2.5 times a second.
            const float swell = 0.75f + 0.25f * std::sin(twoPi * cycles(2.5, i));
            out[i] += s.level * swell * std::sin(phase);
        }
    }
    std::vector<float> hiss = Synth::whiteNoise(loopLength, 901);
    Synth::bandPass(hiss, 3200.0f, 2.0f, true);
    for (size_t i = 0; i < loopLength; ++i)
        out[i] += 1.2f * hiss[i];
    return out;
}

std::vector<float> impact() {
    const size_t n = samplesFor(0.8f);
    std::vector<float> out(n, 0.0f);
    std::vector<float> crunch = Synth::whiteNoise(n, 77);
    Synth::lowPass(crunch, 3500.0f, false);
    const float partials[4][2] = {{420.0f, 0.25f}, {1130.0f, 0.18f}, {2270.0f, 0.12f}, {3710.0f, 0.08f}};
    float thudPhase = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const float t = timeOf(i);
        const float f = 45.0f + 90.0f * std::exp(-t / 0.05f);
        thudPhase += f / Synth::rate;
        float v = 1.0f * std::sin(twoPi * thudPhase) * std::exp(-t / 0.18f);
        v += 1.4f * crunch[i] * std::exp(-t / 0.05f);
        for (const auto& p : partials)
            v += 0.18f * std::sin(twoPi * p[0] * t) * std::exp(-t / p[1]);
        out[i] = v;
    }
    Synth::fadeEdges(out, 0.001f, 0.08f);
    return out;
}

// A tone of a few harmonics with a short attack and an exponential tail.
void addTone(std::vector<float>& out, float start, float length, float frequency, float level, float decay) {
    const Synth::Table wave = Synth::table(Synth::Wave::Triangle, frequency);
    const size_t begin = samplesFor(start), count = samplesFor(length);
    for (size_t k = 0; k < count && begin + k < out.size(); ++k) {
        const float t = timeOf(k);
        const float attack = std::min(1.0f, t / 0.005f);
        const float release = std::min(1.0f, (length - t) / 0.03f);
        const float vibrato = t > 0.2f ? 0.004f * std::sin(twoPi * 5.5f * t) : 0.0f;
        const float v =
            wave(frequency * (1.0f + vibrato) * t) + 0.3f * std::sin(twoPi * 2.0f * frequency * t);
        out[begin + k] += level * attack * release * std::exp(-t / decay) * v;
    }
}

std::vector<float> count() {
    std::vector<float> out(samplesFor(0.4f), 0.0f);
    addTone(out, 0.0f, 0.38f, 880.0f, 1.0f, 0.2f);
    return out;
}

std::vector<float> go() {
    std::vector<float> out(samplesFor(0.9f), 0.0f);
    for (float f : {880.0f, 1108.73f, 1318.51f, 1760.0f})
        addTone(out, 0.0f, 0.88f, f, 0.6f, 0.45f);
    return out;
}

std::vector<float> win() {
    std::vector<float> out(samplesFor(1.9f), 0.0f);
    const float notes[4] = {72.0f, 76.0f, 79.0f, 84.0f}; // C E G C
    for (int i = 0; i < 4; ++i) {
        const float start = 0.15f * static_cast<float>(i);
        const float length = i == 3 ? 1.85f - start : 0.16f;
        addTone(out, start, length, Synth::noteFrequency(notes[i]), 0.8f, i == 3 ? 0.7f : 0.3f);
        addTone(out, start, length, Synth::noteFrequency(notes[i] - 12.0f), 0.35f, i == 3 ? 0.7f : 0.3f);
    }
    return out;
}

std::vector<float> splash() {
    const size_t n = samplesFor(1.2f);
    std::vector<float> out = Synth::whiteNoise(n, 55);
    Synth::lowPass(out, 5000.0f, false);
    for (size_t i = 0; i < n; ++i) {
        const float t = timeOf(i);
        out[i] *= std::min(1.0f, t / 0.01f) * std::exp(-t / 0.22f);
    }
    // Bubbles: short rising chirps, fewer and quieter as the splash settles.
    Rng rng(56);
    for (int b = 0; b < 28; ++b) {
        const float start = rng.range(0.05f, 0.95f);
        const float length = rng.range(0.03f, 0.08f);
        const float f0 = rng.range(350.0f, 950.0f);
        const float level = 0.35f * (1.0f - start);
        float phase = 0.0f;
        const size_t begin = samplesFor(start);
        for (size_t k = 0; k < samplesFor(length) && begin + k < n; ++k) {
            const float t = timeOf(k);
            phase += f0 * (1.0f + 0.6f * t / length) / Synth::rate;
            out[begin + k] += level * std::sin(twoPi * phase) * std::sin(glm::pi<float>() * t / length);
        }
    }
    Synth::fadeEdges(out, 0.001f, 0.15f);
    return out;
}

// A boost: a rush of air whose band sweeps upwards over a rising, growling
// tone, loud at once and fading over the push.
std::vector<float> boost() {
    const size_t n = samplesFor(1.5f);
    std::vector<float> noise = Synth::whiteNoise(n, 313);
    std::vector<float> out(n, 0.0f);
    // State-variable band-pass whose centre follows the sweep.
    float low = 0.0f, band = 0.0f, phase = 0.0f;
    const Synth::Table saw = Synth::table(Synth::Wave::Saw, 220.0f);
    for (size_t i = 0; i < n; ++i) {
        const float t = timeOf(i);
        const float sweep = std::min(1.0f, t / 0.6f);
        const float centre = 400.0f + 2200.0f * sweep * sweep;
        const float f = 2.0f * std::sin(glm::pi<float>() * centre / Synth::rate);
        low += f * band;
        const float high = noise[i] - low - 0.7f * band;
        band += f * high;
        phase += (70.0f + 150.0f * sweep) / Synth::rate;
        const float envelope = std::min(1.0f, t / 0.04f) * std::exp(-t / 0.6f);
        out[i] = envelope * (1.6f * band + 0.35f * saw(phase));
    }
    Synth::fadeEdges(out, 0.001f, 0.2f);
    return out;
}

} // namespace

void SoundEffects::generate(const std::string& outDir) {
    std::vector<float> s = engine(EngineVoice{84, 420.0f, 0.35f, 0.25f, 0.8f, 7});
    save(outDir, "MotorEngine_Loop_07.wav", s, 0.8f);
    s = engine(EngineVoice{118, 950.0f, 0.12f, 0.35f, 0.45f, 8});
    save(outDir, "MotorEngine_Loop_08.wav", s, 0.8f);
    s = skid();
    save(outDir, "Skid_25.wav", s, 0.7f);
    s = impact();
    save(outDir, "Impact_01.wav", s, 0.9f);
    s = count();
    save(outDir, "count.wav", s, 0.8f);
    s = go();
    save(outDir, "go.wav", s, 0.85f);
    s = win();
    save(outDir, "win.wav", s, 0.85f);
    s = splash();
    save(outDir, "splash.wav", s, 0.85f);
    s = boost();
    save(outDir, "boost.wav", s, 0.85f);
}
