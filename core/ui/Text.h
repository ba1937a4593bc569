// A line of text: one textured quad per character, laid out with a Font and
// fitted as a whole into the rectangle of the entity's Transform2D. The
// transform's aspect becomes the string's width / height, so aspect mode
// HeightFollowsWidth keeps the glyphs' proportions. An outlined text has a thin
// dark rim drawn under its glyphs, so that it reads on bright sky and dark road.
#pragma once

#include "core/ui/UIElement.h"

#include <glm/glm.hpp>

#include <string>

class Font;

class Text : public UIElement {
public:
    Text(SystemRegistry* systems, Entity* entity, Font* font = nullptr, std::string text = "");

    void prepare(float dt) override;

    Font* font = nullptr;
    std::string text;
    bool outlined = false;
    glm::vec4 outlineColor{0.0f, 0.0f, 0.0f, 0.8f};
    // Rim width as a share of the text's height on screen (at least one pixel).
    float outlineWidth = 0.06f;

private:
    void addOutline(float heightPixels);
};
