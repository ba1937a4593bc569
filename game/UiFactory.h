// Small builders for the game's UI entities: a Transform2D placed in fractions
// of the window, with a text or a picture on it.
#pragma once

#include "core/ui/Transform2D.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>

class Entity;
class Scene;
class Text;
class Texture2D;
class UITex;

struct UiPlacement {
    // Fractions of the window, measured from the top-left corner.
    glm::vec2 position{0.5f};
    // Height as a fraction of the window; the width follows the content's proportions.
    float height = 0.05f;
    Anchor anchor = Anchor::Center;
};

// A relative Transform2D whose width follows its height and the content's aspect.
Transform2D* placeOnScreen(Entity& entity, const UiPlacement& placement);

// A new entity with a Text in the font "default".
Text* addTextEntity(Scene& scene, const std::string& name, const std::string& text,
                    const UiPlacement& placement, const glm::vec4& color, uint32_t layer);

// A new entity with a picture.
UITex* addPictureEntity(Scene& scene, const std::string& name, Texture2D* texture,
                        const UiPlacement& placement, uint32_t layer);
