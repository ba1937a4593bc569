// Value noise with quintic smoothing; see Noise.h.
#include "Noise.h"

#include "Rng.h"

#include <cmath>

namespace {

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}
float lerp(float a, float b, float t) {
    return a + (b - a) * t;
}
int wrap(int v, int period) {
    return period > 0 ? ((v % period) + period) % period : v;
}

} // namespace

float Noise::lattice2(int x, int y) const {
    return static_cast<float>(Rng::hash(x, y, 0, seed) & 0xFFFFFFu) / 8388607.5f - 1.0f;
}

float Noise::lattice3(int x, int y, int z) const {
    return static_cast<float>(Rng::hash(x, y, z, seed ^ 0x5bd1e995u) & 0xFFFFFFu) / 8388607.5f - 1.0f;
}

float Noise::value2(float x, float y, int period) const {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = fade(x - fx);
    const float ty = fade(y - fy);
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float a = lerp(lattice2(x0, y0), lattice2(x1, y0), tx);
    const float b = lerp(lattice2(x0, y1), lattice2(x1, y1), tx);
    return lerp(a, b, ty);
}

float Noise::value3(float x, float y, float z) const {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float layer[2];
    for (int k = 0; k < 2; ++k) {
        const float a = lerp(lattice3(ix, iy, iz + k), lattice3(ix + 1, iy, iz + k), tx);
        const float b = lerp(lattice3(ix, iy + 1, iz + k), lattice3(ix + 1, iy + 1, iz + k), tx);
        layer[k] = lerp(a, b, ty);
    }
    return lerp(layer[0], layer[1], tz);
}

float Noise::fbm2(float x, float y, int octaves, int period, float gain) const {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        // Offsets decorrelate the octaves without breaking the tiling.
        sum +=
            amplitude * value2(x + static_cast<float>(o) * 17.0f, y + static_cast<float>(o) * 31.0f, period);
        total += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
    }
    return sum / total;
}

float Noise::fbm3(float x, float y, float z, int octaves, float gain) const {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * value3(x, y, z);
        total += amplitude;
        amplitude *= gain;
        x = x * 2.0f + 11.0f;
        y = y * 2.0f + 7.0f;
        z = z * 2.0f + 3.0f;
    }
    return sum / total;
}

float Noise::cell2(float x, float y, int period) const {
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    float best = 10.0f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int cx = ix + dx, cy = iy + dy;
            const uint32_t h = Rng::hash(wrap(cx, period), wrap(cy, period), 7, seed);
            const float px = static_cast<float>(cx) + static_cast<float>(h & 0xFFFFu) / 65535.0f;
            const float py = static_cast<float>(cy) + static_cast<float>(h >> 16u) / 65535.0f;
            const float d = std::hypot(px - x, py - y);
            if (d < best)
                best = d;
        }
    }
    return best;
}
