// See ParticlePictures.h.
#include "ParticlePictures.h"

#include "Image.h"
#include "ImageFile.h"
#include "Noise.h"
#include "Rng.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>

namespace {

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

void save(const Image& image, const std::string& outDir, const std::string& name, ImageFile::Format format) {
    ImageFile::save(image, outDir + "/textures/particles/" + name, format, ImageFile::Channels::Rgba);
}

// Position of a pixel relative to the picture's centre, in units of half its size.
glm::vec2 centred(int x, int y, int size) {
    const float half = 0.5f * static_cast<float>(size);
    return glm::vec2((static_cast<float>(x) + 0.5f - half) / half,
                     (static_cast<float>(y) + 0.5f - half) / half);
}

void smoke(const std::string& outDir) {
    const Noise n(31);
    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec2 p = centred(x, y, size);
            const float puff = 0.5f + 0.5f * n.fbm2(p.x * 3.0f + 10.0f, p.y * 3.0f, 5);
            const float r = glm::length(p) + 0.25f * (puff - 0.5f);
            const float alpha = (1.0f - smoothstep(0.25f, 0.95f, r)) * (0.45f + 0.55f * puff);
            const float shade = 0.78f + 0.2f * puff;
            image.at(x, y) = glm::vec4(glm::vec3(shade), alpha);
        }
    }
    save(image, outDir, "Particles_Smoke2.psd", ImageFile::Format::Psd);
}

// Heat to colour: white-yellow core, orange, deep red, then dark smoke.
glm::vec3 fireRamp(float heat) {
    const glm::vec3 stops[5] = {{0.15f, 0.1f, 0.08f},
                                {0.7f, 0.12f, 0.02f},
                                {1.0f, 0.45f, 0.05f},
                                {1.0f, 0.8f, 0.3f},
                                {1.0f, 0.97f, 0.85f}};
    const float t = std::clamp(heat, 0.0f, 1.0f) * 4.0f;
    const int i = std::min(3, static_cast<int>(t));
    return glm::mix(stops[i], stops[i + 1], t - static_cast<float>(i));
}

void flameSheet(const std::string& outDir) {
    const Noise n(32);
    const int cell = ParticlePictures::sheetCell;
    Image image(cell * ParticlePictures::sheetColumns, cell * ParticlePictures::sheetRows);
    const int frames = ParticlePictures::sheetColumns * ParticlePictures::sheetRows;
    for (int f = 0; f < frames; ++f) {
        // A fireball that blooms, cools from white to red and thins into smoke.
        const float t = static_cast<float>(f) / static_cast<float>(frames - 1);
        const float radius = 0.3f + 0.55f * std::sqrt(t);
        const int ox = (f % ParticlePictures::sheetColumns) * cell;
        const int oy = (f / ParticlePictures::sheetColumns) * cell;
        for (int y = 0; y < cell; ++y) {
            for (int x = 0; x < cell; ++x) {
                const glm::vec2 p = centred(x, y, cell);
                const float turbulence = n.fbm3(p.x * 2.5f, p.y * 2.5f - t * 2.0f, t * 1.5f, 4);
                const float r = glm::length(p) / radius + 0.35f * turbulence;
                const float density = 1.0f - smoothstep(0.45f, 1.0f, r);
                const float heat = (1.0f - t * 0.85f) * (1.0f - smoothstep(0.0f, 1.0f, r)) * 1.25f;
                const float fade = std::pow(1.0f - t, 1.3f);
                // Nothing within a few pixels of the cell's edge, so that frames
                // never bleed into each other.
                const float edge = smoothstep(0.0f, 0.06f, 1.0f - std::max(std::abs(p.x), std::abs(p.y)));
                const float alpha = density * (0.35f + 0.65f * fade) * edge;
                image.at(ox + x, oy + y) = glm::vec4(fireRamp(heat) * (0.3f + 0.7f * fade), alpha);
            }
        }
    }
    // Painted at twice the size the race shows a flame (a boost's fireball covers
    // well under 64 pixels of a view), then saved at that size.
    save(image.shrunk(2), outDir, "FlameRoundParticleSheet.tif", ImageFile::Format::Tiff);
}

void splash(const std::string& outDir) {
    const Noise n(33);
    const int size = 256;
    Image image(size, size);
    const glm::vec3 water(0.88f, 0.95f, 1.0f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec2 p = centred(x, y, size);
            const float r = glm::length(p);
            const float spray = 0.5f + 0.5f * n.fbm2(p.x * 5.0f, p.y * 5.0f, 4);
            const float alpha = (1.0f - smoothstep(0.2f, 0.7f, r)) * (0.25f + 0.5f * spray);
            image.at(x, y) = glm::vec4(water, alpha);
        }
    }
    // Droplets flung outwards.
    Rng rng(34);
    for (int i = 0; i < 60; ++i) {
        const float a = rng.uniform() * glm::two_pi<float>();
        const float d = rng.range(0.25f, 0.85f);
        const float s = rng.range(0.015f, 0.05f) * (1.2f - d);
        const glm::vec2 c = glm::vec2(std::cos(a), std::sin(a)) * d;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const glm::vec2 p = centred(x, y, size) - c;
                // Drops are stretched along their flight.
                const glm::vec2 along(std::cos(a), std::sin(a));
                const float u = glm::dot(p, along) / 2.2f, v = glm::dot(p, glm::vec2(-along.y, along.x));
                const float k = 1.0f - smoothstep(0.6f * s, s, std::hypot(u, v));
                if (k > 0.0f)
                    image.blend(x, y, glm::vec4(water, 0.9f * k));
            }
        }
    }
    save(image, outDir, "ImpactSplashParticle.tif", ImageFile::Format::Tiff);
}

void mist(const std::string& outDir) {
    const Noise n(35);
    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec2 p = centred(x, y, size);
            const float cloud = 0.5f + 0.5f * n.fbm2(p.x * 2.5f, p.y * 2.5f + 4.0f, 5);
            const float falloff = 1.0f - smoothstep(0.0f, 1.0f, glm::length(p));
            image.at(x, y) = glm::vec4(0.95f, 0.97f, 1.0f, falloff * falloff * (0.4f + 0.6f * cloud));
        }
    }
    save(image, outDir, "WaterMistParticle.tif", ImageFile::Format::Tiff);
}

// A bright point with rays; used for the sparks and the collision burst.
Image star(int size, int rays, float rayLength, const glm::vec3& core, const glm::vec3& glow, uint64_t seed) {
    Image image(size, size);
    Rng rng(seed);
    std::vector<float> lengths;
    for (int i = 0; i < rays; ++i)
        lengths.push_back(rayLength * rng.range(0.6f, 1.0f));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec2 p = centred(x, y, size);
            const float r = glm::length(p);
            float intensity = std::exp(-r * r * 60.0f) + 0.35f * std::exp(-r * r * 8.0f);
            const float angle = std::atan2(p.y, p.x);
            for (int i = 0; i < rays; ++i) {
                const float rayAngle =
                    glm::two_pi<float>() * static_cast<float>(i) / static_cast<float>(rays);
                float diff = std::remainder(angle - rayAngle, glm::two_pi<float>());
                const float width = 0.025f / std::max(r, 0.05f);
                intensity +=
                    std::exp(-diff * diff / (width * width)) * (1.0f - smoothstep(0.0f, lengths[i], r));
            }
            intensity = std::min(1.0f, intensity) * (1.0f - smoothstep(0.85f, 1.0f, r));
            const glm::vec3 colour = glm::mix(glow, core, std::min(1.0f, intensity * 1.4f));
            image.at(x, y) = glm::vec4(colour, intensity);
        }
    }
    return image;
}

} // namespace

void ParticlePictures::generate(const std::string& outDir) {
    smoke(outDir);
    flameSheet(outDir);
    splash(outDir);
    mist(outDir);
    save(star(128, 4, 0.95f, glm::vec3(1.0f, 1.0f, 0.95f), glm::vec3(1.0f, 0.7f, 0.3f), 36), outDir,
         "SparkParticle.tif", ImageFile::Format::Tiff);
    ImageFile::savePng(star(128, 8, 0.9f, glm::vec3(1.0f, 0.98f, 0.85f), glm::vec3(1.0f, 0.5f, 0.1f), 37),
                       outDir + "/textures/particles/collision.png", ImageFile::Channels::Rgba);
}
