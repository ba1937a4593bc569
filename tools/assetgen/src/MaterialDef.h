// A material as the track file declares it: a name the game looks up, a diffuse
// colour, and texture paths relative to the assets folder (empty: none).
#pragma once

#include <glm/glm.hpp>

#include <string>

struct MaterialDef {
    std::string name;
    glm::vec3 diffuse{1.0f};
    std::string diffuseTexture;
    std::string normalTexture;
    // Average colour of the diffuse texture, for the top-down preview only.
    glm::vec3 previewColour{0.5f};
};
