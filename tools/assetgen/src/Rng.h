// A small deterministic random generator (PCG32). The standard library's
// distributions differ between implementations, and generated assets must come
// out byte-identical on every run, so everything random goes through this.
#pragma once

#include <cstdint>

class Rng {
public:
    explicit Rng(uint64_t seed, uint64_t stream = 1) : inc((stream << 1u) | 1u) {
        next();
        state += seed;
        next();
    }

    uint32_t next() {
        const uint64_t old = state;
        state = old * 6364136223846793005ULL + inc;
        const uint32_t xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
        const uint32_t rot = static_cast<uint32_t>(old >> 59u);
        return (xorShifted >> rot) | (xorShifted << ((32u - rot) & 31u));
    }

    // Uniform in [0, 1).
    float uniform() { return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    // Uniform in [-1, 1).
    float signedUnit() { return uniform() * 2.0f - 1.0f; }

    // A stateless hash of integer coordinates, for noise lattices.
    static uint32_t hash(int32_t x, int32_t y, int32_t z, uint32_t seed) {
        uint32_t h = seed * 0x9E3779B9u;
        h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
        h = (h << 13u) | (h >> 19u);
        h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
        h = (h << 17u) | (h >> 15u);
        h ^= static_cast<uint32_t>(z) * 0x27D4EB2Fu;
        h ^= h >> 16u;
        h *= 0x7FEB352Du;
        h ^= h >> 15u;
        h *= 0x846CA68Bu;
        h ^= h >> 16u;
        return h;
    }

private:
    uint64_t state = 0;
    uint64_t inc;
};
