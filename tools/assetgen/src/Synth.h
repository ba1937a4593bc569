// Small building blocks for synthesised sound: band-limited wavetable
// oscillators, filters, noise and envelopes. Loops are made seamless by choosing
// frequencies with whole numbers of cycles per loop and by running filters around
// the loop twice ("circular" processing), so their state matches at the seam.
#pragma once

#include "Rng.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Synth {
public:
    enum class Wave { Sine, Saw, Square, Triangle };

    static constexpr float rate = 44100.0f;

    // One band-limited cycle of a wave (no partials above about 16 kHz for the
    // given fundamental), read at a phase in cycles. Tables are shared and built
    // on first use; look one up once per note, not per sample.
    class Table {
    public:
        float operator()(float phaseCycles) const;

    private:
        friend class Synth;
        explicit Table(const std::vector<float>* samples) : samples(samples) {}
        const std::vector<float>* samples;
    };
    static Table table(Wave wave, float frequency);

    // Frequency of a MIDI note number.
    static float noteFrequency(float note);

    // One-pole low-pass over a buffer, in place; circular when loop is set.
    static void lowPass(std::vector<float>& buffer, float cutoff, bool loop);
    static void highPass(std::vector<float>& buffer, float cutoff, bool loop);
    // Band-pass (state-variable filter) with the given centre and Q.
    static void bandPass(std::vector<float>& buffer, float centre, float q, bool loop);

    static std::vector<float> whiteNoise(size_t length, uint64_t seed);

    // Fades the buffer's start and end over the given seconds (one-shots).
    static void fadeEdges(std::vector<float>& buffer, float fadeIn, float fadeOut);
    // Scales so that the loudest sample is at peak.
    static void normalise(std::vector<float>& buffer, float peak);
};
