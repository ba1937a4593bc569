// See Music.h.
#include "Music.h"

#include "Rng.h"
#include "Synth.h"
#include "WavFile.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const float twoPi = glm::two_pi<float>();

enum class Instrument { Pad, Bass, Pluck, Lead, SoftLead, Kick, Snare, Hat, OpenHat };

struct Note {
    float beat, length, midi, velocity;
    Instrument instrument;
};

struct Chord {
    int root; // semitones above C
    bool minor;
};

struct Song {
    float bpm;
    int bars;
    std::vector<Note> notes;
    float secondsPerBeat() const { return 60.0f / bpm; }
};

std::vector<int> chordTones(const Chord& c) {
    return {c.root, c.root + (c.minor ? 3 : 4), c.root + 7};
}

float pan(Instrument i) {
    switch (i) {
    case Instrument::Pluck:
        return -0.35f;
    case Instrument::Lead:
    case Instrument::SoftLead:
        return 0.15f;
    case Instrument::Hat:
    case Instrument::OpenHat:
        return 0.3f;
    case Instrument::Snare:
        return 0.05f;
    default:
        return 0.0f;
    }
}

// One note as mono samples, its tail included.
std::vector<float> voice(const Note& n, float seconds, uint64_t seed) {
    const float f = Synth::noteFrequency(n.midi);
    const float tail = n.instrument == Instrument::Pad ? 0.6f : 0.3f;
    const size_t count = static_cast<size_t>((seconds + tail) * Synth::rate);
    std::vector<float> out(count, 0.0f);
    const auto gate = [&](float t, float attack, float release) {
        const float a = std::min(1.0f, t / attack);
        const float r = t < seconds ? 1.0f : std::max(0.0f, 1.0f - (t - seconds) / release);
        return a * r;
    };
    float lp = 0.0f, phase = 0.0f;
    std::vector<float> noise;
    if (n.instrument == Instrument::Snare || n.instrument == Instrument::Hat ||
        n.instrument == Instrument::OpenHat || n.instrument == Instrument::Kick) {
        noise = Synth::whiteNoise(count, seed);
        if (n.instrument == Instrument::Snare)
            Synth::bandPass(noise, 1900.0f, 0.8f, false);
        else if (n.instrument != Instrument::Kick)
            Synth::highPass(noise, 7000.0f, false);
    }
    const Synth::Table saw = Synth::table(Synth::Wave::Saw, f * 1.01f);
    const Synth::Table square = Synth::table(Synth::Wave::Square, f * 1.01f);
    const Synth::Table triangle = Synth::table(Synth::Wave::Triangle, f);
    for (size_t i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / Synth::rate;
        const double cyc = static_cast<double>(f) * t;
        float v = 0.0f, cutoff = 20000.0f;
        switch (n.instrument) {
        case Instrument::Pad:
            v = (saw(static_cast<float>(cyc * 0.9965)) + saw(static_cast<float>(cyc)) +
                 saw(static_cast<float>(cyc * 1.0035))) /
                3.0f;
            v *= gate(t, 0.25f, 0.55f);
            cutoff = 1300.0f;
            break;
        case Instrument::Bass:
            v = 0.6f * square(static_cast<float>(cyc)) +
                0.7f * std::sin(twoPi * static_cast<float>(cyc - std::floor(cyc)));
            v *= gate(t, 0.004f, 0.05f) * (0.8f + 0.2f * std::exp(-t / 0.1f));
            cutoff = 500.0f + 1800.0f * std::exp(-t / 0.07f);
            break;
        case Instrument::Pluck:
            v = saw(static_cast<float>(cyc)) * std::exp(-t / 0.3f) * gate(t, 0.002f, 0.08f);
            cutoff = 350.0f + 4000.0f * std::exp(-t / 0.12f);
            break;
        case Instrument::Lead:
        case Instrument::SoftLead: {
            const float vibrato = t > 0.12f ? 0.005f * std::sin(twoPi * 5.5f * t) : 0.0f;
            phase += f * (1.0f + vibrato) / Synth::rate;
            phase -= std::floor(phase);
            v = n.instrument == Instrument::Lead ? square(phase) : triangle(phase);
            v *= gate(t, 0.01f, 0.07f);
            cutoff = n.instrument == Instrument::Lead ? 2600.0f : 6000.0f;
            break;
        }
        case Instrument::Kick: {
            phase += (46.0f + 110.0f * std::exp(-t / 0.035f)) / Synth::rate;
            v = std::sin(twoPi * phase) * std::exp(-t / 0.28f) + 0.3f * noise[i] * std::exp(-t / 0.002f);
            v *= gate(t, 0.0005f, 0.02f);
            break;
        }
        case Instrument::Snare:
            v = 2.2f * noise[i] * std::exp(-t / 0.13f) +
                0.5f * std::sin(twoPi * 185.0f * t) * std::exp(-t / 0.07f);
            break;
        case Instrument::Hat:
            v = 1.5f * noise[i] * std::exp(-t / 0.035f);
            break;
        case Instrument::OpenHat:
            v = 1.2f * noise[i] * std::exp(-t / 0.3f);
            break;
        }
        // A simple one-pole low-pass per voice, its cutoff moving with the note.
        lp += std::min(1.0f, twoPi * cutoff / Synth::rate) * (v - lp);
        out[i] = lp * n.velocity;
    }
    return out;
}

std::vector<float> render(const Song& song) {
    const float spb = song.secondsPerBeat();
    const size_t frames =
        static_cast<size_t>(std::lround(static_cast<double>(song.bars) * 4.0 * spb * Synth::rate));
    std::vector<float> left(frames, 0.0f), right(frames, 0.0f);
    uint64_t seed = 1000;
    for (const Note& n : song.notes) {
        const std::vector<float> v = voice(n, n.length * spb, seed++);
        const size_t start = static_cast<size_t>(std::lround(n.beat * spb * Synth::rate));
        const float p = pan(n.instrument);
        const float gl = std::sqrt(0.5f * (1.0f - p)), gr = std::sqrt(0.5f * (1.0f + p));
        for (size_t k = 0; k < v.size(); ++k) {
            // Tails that ring past the end wrap around to the beginning.
            const size_t at = (start + k) % frames;
            left[at] += v[k] * gl;
            right[at] += v[k] * gr;
        }
    }
    // Ping-pong echo of three quarters of a beat, run around the loop twice so
    // that the echo of the end lands on the beginning.
    const size_t delay = static_cast<size_t>(0.75f * spb * Synth::rate);
    std::vector<float> echoL(frames, 0.0f), echoR(frames, 0.0f);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < frames; ++i) {
            const size_t from = (i + frames - delay) % frames;
            echoL[i] = 0.35f * (right[from] + echoR[from]);
            echoR[i] = 0.35f * (left[from] + echoL[from]);
        }
    }
    std::vector<float> stereo(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = left[i] + 0.5f * echoL[i];
        stereo[2 * i + 1] = right[i] + 0.5f * echoR[i];
    }
    Synth::normalise(stereo, 0.85f);
    return stereo;
}

void add(Song& song, float beat, float length, float midi, float velocity, Instrument instrument) {
    song.notes.push_back(Note{beat, length, midi, velocity, instrument});
}

// A melody over the chords: mostly chord tones, moving by small steps, in a
// rhythm that repeats every two bars.
void melody(Song& song, const std::vector<Chord>& chords, int fromBar, int toBar, int octave,
            Instrument instrument, float velocity, uint64_t seed) {
    Rng rng(seed);
    const float rhythm[2][5][2] = {{{0.0f, 1.0f}, {1.0f, 0.5f}, {1.5f, 0.5f}, {2.0f, 1.5f}, {3.5f, 0.5f}},
                                   {{0.0f, 0.5f}, {0.5f, 0.5f}, {1.0f, 1.0f}, {2.0f, 1.0f}, {3.0f, 1.0f}}};
    int previous = chordTones(chords[static_cast<size_t>(fromBar) % chords.size()])[0] + 12 * octave;
    for (int bar = fromBar; bar < toBar; ++bar) {
        const std::vector<int> tones = chordTones(chords[static_cast<size_t>(bar) % chords.size()]);
        for (const auto& step : rhythm[bar % 2]) {
            // The chord tone nearest to the previous note, nudged up or down.
            int best = previous, bestDistance = 100;
            const int target = previous + static_cast<int>(rng.range(-5.0f, 5.99f));
            for (int o = octave - 1; o <= octave + 1; ++o) {
                for (int tone : tones) {
                    const int candidate = tone + 12 * o;
                    if (std::abs(candidate - target) < bestDistance && candidate >= 12 * octave - 5 &&
                        candidate <= 12 * octave + 14) {
                        best = candidate;
                        bestDistance = std::abs(candidate - target);
                    }
                }
            }
            add(song, static_cast<float>(bar) * 4.0f + step[0], step[1] * 0.9f, static_cast<float>(best),
                velocity, instrument);
            previous = best;
        }
    }
}

Song menuSong() {
    Song song{112.0f, 16, {}};
    const Chord C{0, false}, Am{9, true}, F{5, false}, G{7, false};
    const std::vector<Chord> chords = {C, Am, F, G, C, Am, F, G, Am, F, C, G, F, G, C, C};
    const int arp[8] = {0, 1, 2, 1, 0, 1, 2, 1};
    for (int bar = 0; bar < song.bars; ++bar) {
        const Chord& c = chords[static_cast<size_t>(bar)];
        const float b = static_cast<float>(bar) * 4.0f;
        const std::vector<int> tones = chordTones(c);
        for (int t : tones)
            add(song, b, 4.0f, static_cast<float>(60 + t), 0.2f, Instrument::Pad);
        for (float beat : {0.0f, 1.5f, 2.0f, 3.0f})
            add(song, b + beat, 0.45f, static_cast<float>(36 + c.root), 0.55f, Instrument::Bass);
        add(song, b + 3.5f, 0.4f, static_cast<float>(48 + c.root), 0.45f, Instrument::Bass);
        for (int i = 0; i < 8; ++i)
            add(song, b + 0.5f * static_cast<float>(i), 0.45f,
                static_cast<float>(72 + tones[static_cast<size_t>(arp[i])] + (i == 4 ? 12 : 0)), 0.14f,
                Instrument::Pluck);
        const bool breakdown = bar == 8 || bar == 9;
        if (!breakdown) {
            add(song, b, 0.5f, 36.0f, 0.65f, Instrument::Kick);
            add(song, b + 2.0f, 0.5f, 36.0f, 0.65f, Instrument::Kick);
            if (bar % 2 == 1)
                add(song, b + 2.5f, 0.5f, 36.0f, 0.45f, Instrument::Kick);
            add(song, b + 1.0f, 0.5f, 38.0f, 0.5f, Instrument::Snare);
            add(song, b + 3.0f, 0.5f, 38.0f, 0.5f, Instrument::Snare);
        }
        for (int i = 0; i < 8; ++i)
            add(song, b + 0.5f * static_cast<float>(i), 0.2f, 42.0f, i % 2 == 0 ? 0.22f : 0.12f,
                Instrument::Hat);
    }
    melody(song, chords, 4, 8, 6, Instrument::SoftLead, 0.3f, 9);
    melody(song, chords, 10, 16, 6, Instrument::SoftLead, 0.3f, 10);
    return song;
}

// Semitones from A up to a pitch class (0..11), to voice the A minor song from A.
int aboveA(int pitchClass) {
    return ((pitchClass - 9) % 12 + 12) % 12;
}

Song raceSong() {
    Song song{140.0f, 20, {}};
    const Chord Am{9, true}, F{5, false}, C{0, false}, G{7, false}, E{4, false};
    const std::vector<Chord> chords = {Am, F, C, G, Am, F, C, G, F, G, Am, Am, F, G, E, E, Am, F, C, G};
    for (int bar = 0; bar < song.bars; ++bar) {
        const Chord& c = chords[static_cast<size_t>(bar)];
        const float b = static_cast<float>(bar) * 4.0f;
        const std::vector<int> tones = chordTones(c);
        for (int t : tones)
            add(song, b, 4.0f, static_cast<float>(57 + aboveA(t)), 0.1f, Instrument::Pad);
        // Driving bass: eighths on the root, jumping an octave on the offbeats.
        for (int i = 0; i < 8; ++i)
            add(song, b + 0.5f * static_cast<float>(i), 0.4f,
                static_cast<float>(33 + aboveA(c.root) + (i % 2 == 1 ? 12 : 0)), 0.5f, Instrument::Bass);
        for (int i = 0; i < 16; ++i) {
            const int tone = aboveA(tones[static_cast<size_t>(i % 3)]) + (i % 8 >= 4 ? 12 : 0);
            add(song, b + 0.25f * static_cast<float>(i), 0.22f, static_cast<float>(69 + tone), 0.09f,
                Instrument::Pluck);
        }
        for (int beat = 0; beat < 4; ++beat)
            add(song, b + static_cast<float>(beat), 0.5f, 36.0f, 0.95f, Instrument::Kick);
        add(song, b + 1.0f, 0.5f, 38.0f, 0.55f, Instrument::Snare);
        add(song, b + 3.0f, 0.5f, 38.0f, 0.55f, Instrument::Snare);
        if (bar % 4 == 3)
            add(song, b + 3.5f, 0.25f, 38.0f, 0.4f, Instrument::Snare);
        for (int i = 0; i < 16; ++i)
            add(song, b + 0.25f * static_cast<float>(i), 0.1f, 42.0f, i % 4 == 2 ? 0.22f : 0.1f,
                Instrument::Hat);
        if (bar % 4 == 0)
            add(song, b, 1.0f, 46.0f, 0.3f, Instrument::OpenHat);
    }
    melody(song, chords, 4, 8, 5, Instrument::Lead, 0.22f, 21);
    melody(song, chords, 12, 20, 5, Instrument::Lead, 0.22f, 22);
    return song;
}

} // namespace

void Music::generate(const std::string& outDir) {
    WavFile::write(outDir + "/sounds/ZVB_Menu_Music.wav", render(menuSong()), 2);
    WavFile::write(outDir + "/sounds/ZVB_InGame_Music.wav", render(raceSong()), 2);
}
