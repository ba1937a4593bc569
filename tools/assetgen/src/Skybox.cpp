// See Skybox.h.
#include "Skybox.h"

#include "Image.h"
#include "ImageFile.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace {

float smoothstep(float e0, float e1, float x) {
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

const Noise cloudNoise(77);

// OpenGL's direction for face f at face coordinates sc, tc in [-1, 1].
glm::vec3 faceDirection(int face, float sc, float tc) {
    switch (face) {
    case 0:
        return glm::vec3(1.0f, -tc, -sc);
    case 1:
        return glm::vec3(-1.0f, -tc, sc);
    case 2:
        return glm::vec3(sc, 1.0f, tc);
    case 3:
        return glm::vec3(sc, -1.0f, -tc);
    case 4:
        return glm::vec3(sc, -tc, 1.0f);
    default:
        return glm::vec3(-sc, -tc, -1.0f);
    }
}

} // namespace

glm::vec3 Skybox::colour(const glm::vec3& d, const glm::vec3& toSun, const SkyPalette& palette) {
    const glm::vec3& zenith = palette.zenith;
    const glm::vec3& horizon = palette.horizon;
    const glm::vec3& sea = palette.sea;
    const float up = d.y;
    glm::vec3 sky = glm::mix(horizon, zenith, std::pow(std::clamp(up, 0.0f, 1.0f), 0.45f));
    if (up < 0.0f)
        sky = glm::mix(horizon, sea, smoothstep(0.0f, 0.25f, -up));

    const float sunDot = std::max(0.0f, glm::dot(d, toSun));
    const glm::vec3& sunTint = palette.sunTint;
    sky += sunTint * (0.25f * std::pow(sunDot, 6.0f) + 0.45f * std::pow(sunDot, 120.0f));

    if (up > 0.0f) {
        // Clouds on a flat layer overhead, thinning towards the horizon.
        const glm::vec2 p = glm::vec2(d.x, d.z) / (up + 0.12f) * 1.6f;
        const float density =
            cloudNoise.fbm2(p.x + 3.0f, p.y - 5.0f, 6) + 0.25f * cloudNoise.fbm2(p.x * 3.0f, p.y * 3.0f, 3);
        float cover = smoothstep(palette.cloudLow, palette.cloudHigh, density) * smoothstep(0.02f, 0.2f, up);
        const float lit = 0.82f + 0.18f * std::pow(sunDot, 4.0f);
        const glm::vec3 cloud =
            glm::mix(palette.cloudShadow, palette.cloudLight, smoothstep(0.2f, 0.7f, density)) * lit;
        sky = glm::mix(sky, cloud, cover * 0.9f);
    }
    // The sun's disc stays visible through thin cloud.
    if (sunDot > std::cos(glm::radians(1.2f)))
        sky = glm::mix(sky, glm::vec3(1.0f, 0.98f, 0.92f), 0.9f);
    return glm::min(sky, glm::vec3(1.0f));
}

void Skybox::generate(const std::string& outDir, const glm::vec3& sunDirection, int size) {
    generateFaces(outDir + "/skyboxes/DSk04-mod/DSk04_", sunDirection, SkyPalette(), size);
}

void Skybox::generateFaces(const std::string& prefix, const glm::vec3& sunDirection,
                           const SkyPalette& palette, int size) {
    const char* names[6] = {"Left", "Right", "Up_Rotated", "Down", "Front", "Back"};
    const glm::vec3 toSun = -glm::normalize(sunDirection);
    for (int face = 0; face < 6; ++face) {
        Image image(size, size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const float sc = 2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(size) - 1.0f;
                const float tc = 2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(size) - 1.0f;
                const glm::vec3 d = glm::normalize(faceDirection(face, sc, tc));
                image.at(x, y) = glm::vec4(colour(d, toSun, palette), 1.0f);
            }
        }
        ImageFile::save(image, prefix + names[face] + ".png", ImageFile::Format::Png,
                        ImageFile::Channels::Rgb);
    }
}
