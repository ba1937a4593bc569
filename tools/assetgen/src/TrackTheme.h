// The look of a track's surroundings: the ground's materials (textures with a
// tint), the sky's palette, the sun's direction and colour, the horizon's fog
// colour and which trackside objects stand around it. "island" is the look of
// the first track; "desert", "snow" and "dusk" are the others.
#pragma once

#include <glm/glm.hpp>

#include <string>
#include <vector>

struct SkyPalette {
    glm::vec3 zenith{0.22f, 0.45f, 0.85f};
    glm::vec3 horizon{0.72f, 0.83f, 0.93f};
    glm::vec3 sea{0.3f, 0.45f, 0.55f};
    glm::vec3 sunTint{1.0f, 0.85f, 0.6f};
    glm::vec3 cloudShadow{0.68f, 0.72f, 0.8f};
    glm::vec3 cloudLight{1.0f, 0.98f, 0.95f};
    // Cloud density from clear to fully covered (higher: fewer clouds).
    float cloudLow = 0.05f, cloudHigh = 0.45f;
};

struct TrackTheme {
    enum class Props { none, palms, cacti, pines, lamps };

    // One ground material: flat land, low land by the water, steep slopes.
    struct Ground {
        std::string material;
        std::string texture; // below textures/, without the normal map's "_normal"
        glm::vec3 tint{1.0f};
        glm::vec3 preview{0.5f};
    };

    std::string name;
    Ground ground[3];
    SkyPalette sky;
    glm::vec3 sunDirection{0.0f, -1.0f, 0.0f};
    glm::vec3 sunColour{1.0f};
    glm::vec3 fog{0.7f, 0.8f, 0.9f};
    Props props = Props::none;
    // Trunks and leaves (or cactus skin, pine needles, lamp posts and lights).
    glm::vec3 trunkTint{1.0f}, leafTint{1.0f};

    static const std::vector<std::string>& names();
    // The theme of that name; false when there is none.
    static bool byName(const std::string& name, TrackTheme& theme);
};
