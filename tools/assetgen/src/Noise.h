// Gradient-free value noise and its fractal sums, in 2D (optionally tiling with a
// given period, for textures that must wrap) and 3D (for the sky, sampled by
// direction so that the cube faces meet without seams).
#pragma once

#include <cstdint>

class Noise {
public:
    explicit Noise(uint32_t seed) : seed(seed) {}

    // Value noise in [-1, 1]. A period of 0 means no tiling.
    float value2(float x, float y, int period = 0) const;
    float value3(float x, float y, float z) const;

    // Fractal sums normalised to about [-1, 1]; each octave doubles the frequency
    // (and the period, so tiling is kept).
    float fbm2(float x, float y, int octaves, int period = 0, float gain = 0.5f) const;
    float fbm3(float x, float y, float z, int octaves, float gain = 0.5f) const;

    // Distance to the nearest jittered cell point (cellular noise), in cell units.
    float cell2(float x, float y, int period = 0) const;

private:
    float lattice2(int x, int y) const;
    float lattice3(int x, int y, int z) const;

    uint32_t seed;
};
